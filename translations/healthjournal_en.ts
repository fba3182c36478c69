<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>DeviceImport</name>
    <message numerus="yes">
        <source>%1 of %n rows with readings are rejected alike, as line %2: %3; nothing is imported</source>
        <translation>
            <numerusform>%1 of %n row with readings is rejected alike, as line %2: %3; nothing is imported</numerusform>
            <numerusform>%1 of %n rows with readings are rejected alike, as line %2: %3; nothing is imported</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GlucoseReport</name>
    <message numerus="yes">
        <source>Logbook, the last %n days</source>
        <translation>
            <numerusform>Logbook, the last day</numerusform>
            <numerusform>Logbook, the last %n days</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GlucoseSummary</name>
    <message numerus="yes">
        <source>%1 a day, over the %n days of the period that have any</source>
        <translation>
            <numerusform>%1 a day, over the %n day of the period that has any</numerusform>
            <numerusform>%1 a day, over the %n days of the period that have any</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>JournalWindow</name>
    <message numerus="yes">
        <source>%n readings</source>
        <translation>
            <numerusform>%n reading</numerusform>
            <numerusform>%n readings</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n other records</source>
        <translation>
            <numerusform>%n other record</numerusform>
            <numerusform>%n other records</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n lines not read</source>
        <translation>
            <numerusform>%n line not read</numerusform>
            <numerusform>%n lines not read</numerusform>
        </translation>
    </message>
</context>
</TS>
