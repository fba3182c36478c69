#include <JournalEntry.h>
#include <SugarEntry.h>

#include <QCoreApplication>
#include <QTextStream>

#include <memory>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    static const SugarEntry::MyFactory sugarFactory;
    const QString line = QStringLiteral(R"(SUGR|20240305|0708|pre-lunch|104|a\Pb)");
    const std::unique_ptr<JournalEntry> entry(JournalEntry::decode(line));
    QTextStream out(stdout);
    out << (entry ? entry->getSummary() : QStringLiteral("not decoded")) << "\n";
    return entry && entry->encode() == line ? 0 : 1;
}
