<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>cAboutDialog</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>ZOVAN Tools</source>
        <translation>ZOVAN Tools</translation>
    </message>
    <message>
        <source>Version: %1</source>
        <translation>Version: %1</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>Qt version: %1</source>
        <translation>Qt-Version: %1</translation>
    </message>
    <message>
        <source>Lua version: %1</source>
        <translation>Lua-Version: %1</translation>
    </message>
    <message>
        <source>Started from: %1</source>
        <translation>Gestartet aus: %1</translation>
    </message>
    <message>
        <source>Architecture: current - %1, build - %2, lib - %3</source>
        <translation>Architektur: aktuell - %1, Build - %2, Bibliothek - %3</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>%1.%2.%3.%4%6 from %5</source>
        <translation>%1.%2.%3.%4%6 vom %5</translation>
    </message>
</context>
<context>
    <name>cDeviceContainerTest</name>
    <message>
        <source>This page runs the built-in self-tests of the attached unit.</source>
        <translation>Diese Seite führt die eingebauten Selbsttests des angeschlossenen Geräts aus.</translation>
    </message>
</context>
<context>
    <name>cDeviceTestPage</name>
    <message>
        <source>This page gives engineers direct access to the test functions of the attached unit.</source>
        <translation>Diese Seite gibt Entwicklern direkten Zugriff auf die Testfunktionen des angeschlossenen Geräts.</translation>
    </message>
</context>
<context>
    <name>cFilesMainWindow</name>
    <message>
        <source>This page copies files between this computer and the attached unit.</source>
        <translation>Diese Seite kopiert Dateien zwischen diesem Computer und dem angeschlossenen Gerät.</translation>
    </message>
</context>
<context>
    <name>cFlashPage</name>
    <message>
        <source>This page writes firmware images into the attached unit.</source>
        <translation>Diese Seite schreibt Firmware-Images in das angeschlossene Gerät.</translation>
    </message>
</context>
<context>
    <name>cLogMainWindow</name>
    <message>
        <source>This page shows, filters and records the live log of the attached unit.</source>
        <translation>Diese Seite zeigt, filtert und speichert das laufende Protokoll des angeschlossenen Geräts.</translation>
    </message>
</context>
<context>
    <name>cLogWidget</name>
    <message>
        <source>Message console</source>
        <translation>Meldungskonsole</translation>
    </message>
</context>
<context>
    <name>cMainWindow</name>
    <message>
        <source>A program utility for managing of devices on the basis of project ZOVAN</source>
        <translation>Ein Programm zur Verwaltung von Geräten auf der Grundlage des Projekts ZOVAN</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Kalibrieren</translation>
    </message>
    <message>
        <source>Running in engineering mode</source>
        <translation>Läuft im Entwicklermodus</translation>
    </message>
    <message>
        <source>Engineering mode</source>
        <translation>Entwicklermodus</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Service</source>
        <translation>Service</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Plugin settings</source>
        <translation>Plugin-Einstellungen</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>Message console</source>
        <translation>Meldungskonsole</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>All messages</source>
        <translation>Alle Meldungen</translation>
    </message>
    <message>
        <source>Firmwares</source>
        <translation>Firmwares</translation>
    </message>
    <message>
        <source>Parameters</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Tests</source>
        <translation>Tests</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Logs</source>
        <translation>Protokolle</translation>
    </message>
    <message>
        <source>Tests-D</source>
        <translation>Tests-D</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Neustart</translation>
    </message>
    <message>
        <source>It&apos;s necessary to restart application now.</source>
        <translation>Die Anwendung muss jetzt neu gestartet werden.</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Local BDM</source>
        <translation>Lokaler BDM</translation>
    </message>
    <message>
        <source>Conversion</source>
        <translation>Konvertierung</translation>
    </message>
    <message>
        <source>Local BDM was started</source>
        <translation>Lokaler BDM wurde gestartet</translation>
    </message>
    <message>
        <source>Error starting local BDM</source>
        <translation>Fehler beim Starten des lokalen BDM</translation>
    </message>
    <message>
        <source>Local BDM was not started</source>
        <translation>Lokaler BDM wurde nicht gestartet</translation>
    </message>
</context>
<context>
    <name>cParamContainer</name>
    <message>
        <source>This page reads, edits and writes the parameters of the attached unit.</source>
        <translation>Diese Seite liest, bearbeitet und schreibt die Parameter des angeschlossenen Geräts.</translation>
    </message>
</context>
<context>
    <name>cPluginSettingsDialog</name>
    <message>
        <source>[*] Plugin settings</source>
        <translation>[*] Plugin-Einstellungen</translation>
    </message>
    <message>
        <source>The settings that the loaded plug-ins declare appear here.</source>
        <translation>Hier erscheinen die Einstellungen, die die geladenen Plugins anbieten.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>cTestMainWindow</name>
    <message>
        <source>This page runs Lua test scripts against the attached unit and shows their results.</source>
        <translation>Diese Seite führt Lua-Testskripte am angeschlossenen Gerät aus und zeigt ihre Ergebnisse.</translation>
    </message>
</context>
</TS>
