<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>cAboutDialog</name>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZOVAN Tools</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Description:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Qt version: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lua version: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Started from: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Architecture: current - %1, build - %2, lib - %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1.%2.%3.%4%6 from %5</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cDeviceContainerTest</name>
    <message>
        <source>This page runs the built-in self-tests of the attached unit.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cDeviceTestPage</name>
    <message>
        <source>This page gives engineers direct access to the test functions of the attached unit.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cFilesMainWindow</name>
    <message>
        <source>This page copies files between this computer and the attached unit.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cFlashPage</name>
    <message>
        <source>This page writes firmware images into the attached unit.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cLogMainWindow</name>
    <message>
        <source>This page shows, filters and records the live log of the attached unit.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cLogWidget</name>
    <message>
        <source>Message console</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cMainWindow</name>
    <message>
        <source>A program utility for managing of devices on the basis of project ZOVAN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Running in engineering mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Engineering mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Service</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Plugin settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message console</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmwares</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Parameters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tests</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Logs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tests-D</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It&apos;s necessary to restart application now.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Local BDM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Conversion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Local BDM was started</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error starting local BDM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Local BDM was not started</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cParamContainer</name>
    <message>
        <source>This page reads, edits and writes the parameters of the attached unit.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cPluginSettingsDialog</name>
    <message>
        <source>[*] Plugin settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings that the loaded plug-ins declare appear here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cTestMainWindow</name>
    <message>
        <source>This page runs Lua test scripts against the attached unit and shows their results.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
