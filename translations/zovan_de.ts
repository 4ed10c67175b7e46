<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>TValueBrowser</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
</context>
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
    <name>cAdapterFile</name>
    <message>
        <source>the file is larger than %1 bytes and is ignored</source>
        <translation>die Datei ist größer als %1 Bytes und wird ignoriert</translation>
    </message>
    <message>
        <source>cannot read section header &apos;%1&apos;</source>
        <translation>Abschnittskopf &apos;%1&apos; kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>empty section name; the section is skipped</source>
        <translation>leerer Abschnittsname; der Abschnitt wird übersprungen</translation>
    </message>
    <message>
        <source>the section appears twice; the second is skipped</source>
        <translation>der Abschnitt kommt zweimal vor; der zweite wird übersprungen</translation>
    </message>
    <message>
        <source>text outside of any section is ignored</source>
        <translation>Text außerhalb eines Abschnitts wird ignoriert</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a key=value line; the unit is skipped</source>
        <translation>&apos;%1&apos; ist keine Zeile der Form Schlüssel=Wert; das Gerät wird übersprungen</translation>
    </message>
    <message>
        <source>unknown key (known: %1); the unit is skipped</source>
        <translation>unbekannter Schlüssel (bekannt: %1); das Gerät wird übersprungen</translation>
    </message>
    <message>
        <source>the key appears twice; the unit is skipped</source>
        <translation>der Schlüssel kommt zweimal vor; das Gerät wird übersprungen</translation>
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
    <name>cDeviceFSModel</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Change date</source>
        <translation>Änderungsdatum</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
</context>
<context>
    <name>cDeviceFSRunner</name>
    <message>
        <source>Too many requests waiting, request refused</source>
        <translation>Zu viele wartende Aufträge, Auftrag abgelehnt</translation>
    </message>
    <message>
        <source>No res plugin</source>
        <translation>Kein Ressourcen-Plug-in</translation>
    </message>
    <message>
        <source>Application fatal error detected!</source>
        <translation>Schwerer Anwendungsfehler erkannt!</translation>
    </message>
    <message>
        <source>Restart is strongly recomended!</source>
        <translation>Ein Neustart wird dringend empfohlen!</translation>
    </message>
    <message>
        <source>Failed to init files transfer mode</source>
        <translation>Der Dateiübertragungsmodus konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>DIR: ok = %1, answer = %3</source>
        <translation>DIR: ok = %1, Antwort = %3</translation>
    </message>
    <message>
        <source>Failed to execute dir request for &apos;%1&apos;, answer = %2</source>
        <translation>Verzeichnisabfrage für &apos;%1&apos; fehlgeschlagen, Antwort = %2</translation>
    </message>
    <message>
        <source>Failed to get %1</source>
        <translation>%1 konnte nicht geholt werden</translation>
    </message>
    <message>
        <source>Failed to get data buffer for %1</source>
        <translation>Kein Datenpuffer für %1 erhalten</translation>
    </message>
    <message>
        <source>Failed to open %1</source>
        <translation>%1 konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Failed to read %1, data is empty</source>
        <translation>%1 konnte nicht gelesen werden, keine Daten</translation>
    </message>
    <message>
        <source>ok = %1</source>
        <translation>ok = %1</translation>
    </message>
    <message>
        <source>Failed to copy %1 to %2</source>
        <translation>%1 konnte nicht nach %2 kopiert werden</translation>
    </message>
    <message>
        <source>Failed to delete file %1</source>
        <translation>Datei %1 konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>Failed to delete directory %1</source>
        <translation>Verzeichnis %1 konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>Making dir: %1</source>
        <translation>Verzeichnis wird angelegt: %1</translation>
    </message>
    <message>
        <source>System error: failed to get dir list</source>
        <translation>Systemfehler: Verzeichnisliste nicht erhalten</translation>
    </message>
    <message>
        <source>Directory is empty</source>
        <translation>Das Verzeichnis ist leer</translation>
    </message>
    <message>
        <source>Can&apos;t get directory contents</source>
        <translation>Der Verzeichnisinhalt kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Can&apos;t open directory</source>
        <translation>Das Verzeichnis kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>failed to parse entry: %1</source>
        <translation>Eintrag nicht lesbar: %1</translation>
    </message>
</context>
<context>
    <name>cDeviceFSView</name>
    <message>
        <source>Copy selected</source>
        <translation>Auswahl kopieren</translation>
    </message>
    <message>
        <source>Delete selected</source>
        <translation>Auswahl löschen</translation>
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
    <name>cFilePanel</name>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Make dir</source>
        <translation>Verzeichnis anlegen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
</context>
<context>
    <name>cFilesMainWindow</name>
    <message>
        <source>Operations</source>
        <translation>Aktionen</translation>
    </message>
    <message>
        <source>Connect to device</source>
        <translation>Mit Gerät verbinden</translation>
    </message>
    <message>
        <source>Disconnect from device</source>
        <translation>Vom Gerät trennen</translation>
    </message>
    <message>
        <source>Copy progress</source>
        <translation>Kopierfortschritt</translation>
    </message>
    <message>
        <source>Overwrite confirmation</source>
        <translation>Überschreiben bestätigen</translation>
    </message>
    <message>
        <source>These files already exist in %1:
%2
Overwrite them?</source>
        <translation>Diese Dateien gibt es in %1 bereits:
%2
Sollen sie überschrieben werden?</translation>
    </message>
    <message>
        <source>Directory name</source>
        <translation>Verzeichnisname</translation>
    </message>
    <message>
        <source>Delete confirmation</source>
        <translation>Löschen bestätigen</translation>
    </message>
    <message>
        <source>Do you realy want to delete this files?</source>
        <translation>Sollen diese Dateien wirklich gelöscht werden?</translation>
    </message>
    <message>
        <source>Copying: %1</source>
        <translation>Kopiere: %1</translation>
    </message>
    <message>
        <source>File: %1 %, all files: %2 %</source>
        <translation>Datei: %1 %, alle Dateien: %2 %</translation>
    </message>
    <message>
        <source>File transfer inited</source>
        <translation>Dateiübertragung gestartet</translation>
    </message>
    <message>
        <source>Failed to init file transfer</source>
        <translation>Die Dateiübertragung konnte nicht gestartet werden</translation>
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
    <name>cGpioChip</name>
    <message>
        <source>%1 cannot be opened (%2)</source>
        <translation>%1 kann nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>%1 has no line named %2</source>
        <translation>%1 hat keine Leitung namens %2</translation>
    </message>
    <message>
        <source>no line named %1</source>
        <translation>keine Leitung namens %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: line %2 cannot be requested (%3)</source>
        <translation>%1: Leitung %2 kann nicht belegt werden (%3)</translation>
    </message>
    <message>
        <source>%1: reading line %2 failed (%3)</source>
        <translation>%1: Lesen der Leitung %2 fehlgeschlagen (%3)</translation>
    </message>
    <message>
        <source>%1: line %2 cannot be made an output (%3)</source>
        <translation>%1: Leitung %2 kann nicht als Ausgang geschaltet werden (%3)</translation>
    </message>
    <message>
        <source>%1: setting line %2 failed (%3)</source>
        <translation>%1: Setzen der Leitung %2 fehlgeschlagen (%3)</translation>
    </message>
</context>
<context>
    <name>cI2cDevBus</name>
    <message>
        <source>%1 cannot be opened (%2)</source>
        <translation>%1 kann nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>%1 is not an I2C bus that takes plain transfers</source>
        <translation>%1 ist kein I2C-Bus, der einfache Übertragungen annimmt</translation>
    </message>
    <message>
        <source>%1: I2C %2 of %3 bytes at address %4 failed (%5)</source>
        <translation>%1: I2C-%2 von %3 Bytes an Adresse %4 fehlgeschlagen (%5)</translation>
    </message>
    <message>
        <source>read</source>
        <translation>Lesen</translation>
    </message>
    <message>
        <source>write</source>
        <translation>Schreiben</translation>
    </message>
    <message>
        <source>%1: bad I2C read of %2 bytes at address %3</source>
        <translation>%1: ungültiges I2C-Lesen von %2 Bytes an Adresse %3</translation>
    </message>
    <message>
        <source>%1: bad I2C write of %2 bytes at address %3</source>
        <translation>%1: ungültiges I2C-Schreiben von %2 Bytes an Adresse %3</translation>
    </message>
</context>
<context>
    <name>cLineWatch</name>
    <message>
        <source>Connection to device &apos;%1&apos; lost: its serial line closed (cable pulled or unit switched off). The remaining tests are canceled; disconnect, check the cable and connect again.</source>
        <translation>Verbindung zum Gerät &apos;%1&apos; verloren: Seine serielle Leitung wurde geschlossen (Kabel gezogen oder Gerät ausgeschaltet). Die übrigen Tests werden abgebrochen; trennen Sie die Verbindung, prüfen Sie das Kabel und verbinden Sie erneut.</translation>
    </message>
    <message>
        <source>Connection to device &apos;%1&apos; lost while it was being set up: its serial line closed (cable pulled or unit switched off).</source>
        <translation>Verbindung zum Gerät &apos;%1&apos; während der Einrichtung verloren: Seine serielle Leitung wurde geschlossen (Kabel gezogen oder Gerät ausgeschaltet).</translation>
    </message>
    <message>
        <source>The unit&apos;s serial line was lost</source>
        <translation>Die serielle Leitung des Geräts ging verloren</translation>
    </message>
</context>
<context>
    <name>cLocalFSView</name>
    <message>
        <source>Copy selected</source>
        <translation>Auswahl kopieren</translation>
    </message>
</context>
<context>
    <name>cLogMainWindow</name>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Extended</source>
        <translation>Erweitert</translation>
    </message>
    <message>
        <source>External CANLog</source>
        <translation>Externes CAN-Protokoll</translation>
    </message>
    <message>
        <source>&gt; Input CLI command here</source>
        <translation>&gt; CLI-Befehl hier eingeben</translation>
    </message>
    <message>
        <source>Keywords, separated by commas; only lines that contain one are shown</source>
        <translation>Stichwörter, durch Kommas getrennt; nur Zeilen, die eines enthalten, werden angezeigt</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Show the receive time in front of each line</source>
        <translation>Die Empfangszeit vor jeder Zeile anzeigen</translation>
    </message>
    <message>
        <source>Show keywords</source>
        <translation>Stichwörter anzeigen</translation>
    </message>
    <message>
        <source>Keywords</source>
        <translation>Stichwörter</translation>
    </message>
    <message>
        <source>Show command line</source>
        <translation>Befehlszeile anzeigen</translation>
    </message>
    <message>
        <source>CLI</source>
        <translation>CLI</translation>
    </message>
    <message>
        <source>Logs</source>
        <translation>Protokolle</translation>
    </message>
    <message>
        <source>New keyword</source>
        <translation>Neues Stichwort</translation>
    </message>
    <message>
        <source>Operations</source>
        <translation>Aktionen</translation>
    </message>
    <message>
        <source>Connect to device</source>
        <translation>Mit Gerät verbinden</translation>
    </message>
    <message>
        <source>Disconnect from device</source>
        <translation>Vom Gerät trennen</translation>
    </message>
    <message>
        <source>Clear log</source>
        <translation>Protokoll leeren</translation>
    </message>
    <message>
        <source>Save log</source>
        <translation>Protokoll speichern</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Log read requested</source>
        <translation>Lesen des Protokolls angefordert</translation>
    </message>
    <message>
        <source>Log stop requested</source>
        <translation>Anhalten des Protokolls angefordert</translation>
    </message>
    <message>
        <source>Log clear requested</source>
        <translation>Leeren des Protokolls angefordert</translation>
    </message>
    <message>
        <source>Log save requested</source>
        <translation>Speichern des Protokolls angefordert</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>The log could not be saved to %1: %2</source>
        <translation>Das Protokoll konnte nicht in %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Trying to send command: %1</source>
        <translation>Befehl wird gesendet: %1</translation>
    </message>
    <message>
        <source>The keyword list could not be read: %1</source>
        <translation>Die Stichwortliste konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>The unreadable keyword list was kept as %1</source>
        <translation>Die unlesbare Stichwortliste wurde als %1 aufbewahrt</translation>
    </message>
    <message>
        <source>The keyword list could not be saved: %1</source>
        <translation>Die Stichwortliste konnte nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source> [... %1 more characters in the device log]</source>
        <translation> [... %1 weitere Zeichen im Geräteprotokoll]</translation>
    </message>
    <message>
        <source>[... %1 lines not shown here; the device log has them]</source>
        <translation>[... %1 Zeilen hier nicht angezeigt; sie stehen im Geräteprotokoll]</translation>
    </message>
    <message>
        <source>Received: %1 lines, %2 bytes</source>
        <translation>Empfangen: %1 Zeilen, %2 Bytes</translation>
    </message>
    <message>
        <source> (%1 lines only in the device log)</source>
        <translation> (%1 Zeilen nur im Geräteprotokoll)</translation>
    </message>
</context>
<context>
    <name>cLogModel</name>
    <message>
        <source>Trace</source>
        <translation>Ablauf</translation>
    </message>
    <message>
        <source>Notify</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Debug</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Level</source>
        <translation>Stufe</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Meldung</translation>
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
    <name>cParser</name>
    <message>
        <source>Adapter file %1, line %2</source>
        <translation>Adapterdatei %1, Zeile %2</translation>
    </message>
    <message>
        <source>, section [%1]</source>
        <translation>, Abschnitt [%1]</translation>
    </message>
    <message>
        <source>, key &apos;%1&apos;</source>
        <translation>, Schlüssel &apos;%1&apos;</translation>
    </message>
    <message>
        <source>missing key &apos;serial&apos;; the unit is skipped</source>
        <translation>Schlüssel &apos;serial&apos; fehlt; das Gerät wird übersprungen</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a serial device path; the unit is skipped</source>
        <translation>&apos;%1&apos; ist kein Pfad eines seriellen Geräts; das Gerät wird übersprungen</translation>
    </message>
    <message>
        <source>bad baud rate &apos;%1&apos;; the unit is skipped</source>
        <translation>ungültige Baudrate &apos;%1&apos;; das Gerät wird übersprungen</translation>
    </message>
    <message>
        <source>bad or repeated GPIO name &apos;%1&apos;; the unit is skipped</source>
        <translation>ungültiger oder doppelter GPIO-Name &apos;%1&apos;; das Gerät wird übersprungen</translation>
    </message>
    <message>
        <source>GPIO names need a &apos;gpiochip&apos;; the unit is skipped</source>
        <translation>GPIO-Namen brauchen einen &apos;gpiochip&apos;; das Gerät wird übersprungen</translation>
    </message>
    <message>
        <source>empty value; the unit is skipped</source>
        <translation>leerer Wert; das Gerät wird übersprungen</translation>
    </message>
    <message>
        <source>adapter [%1] of %2</source>
        <translation>Adapter [%1] aus %2</translation>
    </message>
</context>
<context>
    <name>cPluginSettingsDialog</name>
    <message>
        <source>[*] Plugin settings</source>
        <translation>[*] Plugin-Einstellungen</translation>
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
    <name>cPortManager</name>
    <message>
        <source>A unit without an id cannot be opened</source>
        <translation>Ein Gerät ohne Kennung kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Unit &apos;%1&apos; has no ports to open</source>
        <translation>Gerät &apos;%1&apos; hat keine Ports zum Öffnen</translation>
    </message>
    <message>
        <source>Unit &apos;%1&apos; cannot be opened: %2</source>
        <translation>Gerät &apos;%1&apos; kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Unit &apos;%1&apos; is already open by this program</source>
        <translation>Gerät &apos;%1&apos; ist in diesem Programm bereits geöffnet</translation>
    </message>
    <message>
        <source>%1 is already open by unit &apos;%2&apos; in this program</source>
        <translation>%1 ist in diesem Programm bereits von Gerät &apos;%2&apos; geöffnet</translation>
    </message>
    <message>
        <source>Unit &apos;%1&apos; opened</source>
        <translation>Gerät &apos;%1&apos; geöffnet</translation>
    </message>
    <message>
        <source>Unit &apos;%1&apos; closed</source>
        <translation>Gerät &apos;%1&apos; geschlossen</translation>
    </message>
    <message>
        <source>Adapter file %1 cannot be read: %2</source>
        <translation>Adapterdatei %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>serial port</source>
        <translation>serieller Port</translation>
    </message>
</context>
<context>
    <name>cPortSelector</name>
    <message>
        <source>No port found</source>
        <translation>Kein Port gefunden</translation>
    </message>
    <message>
        <source>Port of the unit</source>
        <translation>Port des Geräts</translation>
    </message>
    <message>
        <source>Search for ports again</source>
        <translation>Erneut nach Ports suchen</translation>
    </message>
</context>
<context>
    <name>cSerialLine</name>
    <message>
        <source>unsupported baud rate %1</source>
        <translation>nicht unterstützte Baudrate %1</translation>
    </message>
    <message>
        <source>cannot read the line settings (%1)</source>
        <translation>die Leitungseinstellungen können nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>cannot apply the line settings (%1)</source>
        <translation>die Leitungseinstellungen können nicht übernommen werden (%1)</translation>
    </message>
    <message>
        <source>%1 cannot be opened: out of file descriptors</source>
        <translation>%1 kann nicht geöffnet werden: keine Dateideskriptoren mehr frei</translation>
    </message>
    <message>
        <source>%1 cannot be opened (%2)</source>
        <translation>%1 kann nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>%1 is already open by another program (%2)</source>
        <translation>%1 ist bereits von einem anderen Programm geöffnet (%2)</translation>
    </message>
    <message>
        <source>%1 cannot be opened: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>%1 was disconnected (%2: %3)</source>
        <translation>die Verbindung zu %1 wurde getrennt (%2: %3)</translation>
    </message>
    <message>
        <source>%1: waiting for data failed (%2)</source>
        <translation>%1: Warten auf Daten fehlgeschlagen (%2)</translation>
    </message>
    <message>
        <source>%1: waiting to write failed (%2)</source>
        <translation>%1: Warten auf Schreibbereitschaft fehlgeschlagen (%2)</translation>
    </message>
    <message>
        <source>%1: write timed out after %2 of %3 bytes</source>
        <translation>%1: Zeitüberschreitung beim Schreiben nach %2 von %3 Bytes</translation>
    </message>
    <message>
        <source>%1: write failed (%2)</source>
        <translation>%1: Schreiben fehlgeschlagen (%2)</translation>
    </message>
    <message>
        <source>%1: unsupported baud rate %2</source>
        <translation>%1: nicht unterstützte Baudrate %2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>cSimAdapterLink</name>
    <message>
        <source>bad socket path &apos;%1&apos;</source>
        <translation>ungültiger Socket-Pfad &apos;%1&apos;</translation>
    </message>
    <message>
        <source>cannot create a socket (%1)</source>
        <translation>Socket kann nicht angelegt werden (%1)</translation>
    </message>
    <message>
        <source>cannot connect to %1 (%2)</source>
        <translation>keine Verbindung zu %1 möglich (%2)</translation>
    </message>
    <message>
        <source>malformed request</source>
        <translation>fehlerhafte Anfrage</translation>
    </message>
    <message>
        <source>cannot send to %1 (%2)</source>
        <translation>Senden an %1 nicht möglich (%2)</translation>
    </message>
    <message>
        <source>answer from %1 is too long</source>
        <translation>Antwort von %1 ist zu lang</translation>
    </message>
    <message>
        <source>no answer from %1 within %2 ms</source>
        <translation>keine Antwort von %1 innerhalb von %2 ms</translation>
    </message>
    <message>
        <source>cannot read from %1 (%2)</source>
        <translation>Lesen von %1 nicht möglich (%2)</translation>
    </message>
    <message>
        <source>connection to %1 lost (%2)</source>
        <translation>Verbindung zu %1 verloren (%2)</translation>
    </message>
    <message>
        <source>request refused</source>
        <translation>Anfrage abgelehnt</translation>
    </message>
    <message>
        <source>unexpected answer &apos;%1&apos;</source>
        <translation>unerwartete Antwort &apos;%1&apos;</translation>
    </message>
    <message>
        <source>connection to %1 lost</source>
        <translation>Verbindung zu %1 verloren</translation>
    </message>
</context>
<context>
    <name>cSimGpio</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: reading GPIO %2 failed: %3</source>
        <translation>%1: Lesen von GPIO %2 fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>%1: reading GPIO %2 gave &apos;%3&apos;</source>
        <translation>%1: Lesen von GPIO %2 ergab &apos;%3&apos;</translation>
    </message>
    <message>
        <source>%1: setting GPIO %2 failed: %3</source>
        <translation>%1: Setzen von GPIO %2 fehlgeschlagen: %3</translation>
    </message>
</context>
<context>
    <name>cSimI2c</name>
    <message>
        <source>%1: bad I2C read of %2 bytes at address %3</source>
        <translation>%1: ungültiges I2C-Lesen von %2 Bytes an Adresse %3</translation>
    </message>
    <message>
        <source>%1: I2C read at address %2 failed: %3</source>
        <translation>%1: I2C-Lesen an Adresse %2 fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>%1: I2C read at address %2 gave a malformed answer</source>
        <translation>%1: I2C-Lesen an Adresse %2 ergab eine fehlerhafte Antwort</translation>
    </message>
    <message>
        <source>%1: bad I2C write of %2 bytes at address %3</source>
        <translation>%1: ungültiges I2C-Schreiben von %2 Bytes an Adresse %3</translation>
    </message>
    <message>
        <source>%1: I2C write at address %2 failed: %3</source>
        <translation>%1: I2C-Schreiben an Adresse %2 fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>%1: I2C write at address %2 gave a malformed answer</source>
        <translation>%1: I2C-Schreiben an Adresse %2 ergab eine fehlerhafte Antwort</translation>
    </message>
</context>
<context>
    <name>cStatWidget</name>
    <message>
        <source>Navigation:</source>
        <translation>Navigation:</translation>
    </message>
    <message>
        <source>GSM:</source>
        <translation>GSM:</translation>
    </message>
    <message>
        <source>Power:</source>
        <translation>Versorgung:</translation>
    </message>
    <message>
        <source>AIN:</source>
        <translation>AIN:</translation>
    </message>
    <message>
        <source>DIN:</source>
        <translation>DIN:</translation>
    </message>
    <message>
        <source>Counter:</source>
        <translation>Zähler:</translation>
    </message>
    <message>
        <source>FMeter:</source>
        <translation>Durchflussmesser:</translation>
    </message>
    <message>
        <source>Fuel:</source>
        <translation>Kraftstoff:</translation>
    </message>
    <message>
        <source>CANLog:</source>
        <translation>CAN-Protokoll:</translation>
    </message>
    <message>
        <source>Timestamp</source>
        <translation>Zeitstempel</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Longitude</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Latitude</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Longitude (mas)</source>
        <translation>Länge (mas)</translation>
    </message>
    <message>
        <source>Latitude (mas)</source>
        <translation>Breite (mas)</translation>
    </message>
    <message>
        <source>Altitude</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Sat count</source>
        <translation>Satelliten</translation>
    </message>
    <message>
        <source>Valid</source>
        <translation>Gültig</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Netz</translation>
    </message>
    <message>
        <source>CSQ</source>
        <translation>CSQ</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>RPM</source>
        <translation>Drehzahl</translation>
    </message>
    <message>
        <source>Fuel level</source>
        <translation>Kraftstoffstand</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>Temperatur</translation>
    </message>
    <message>
        <source>Engine uptime</source>
        <translation>Motorlaufzeit</translation>
    </message>
    <message>
        <source>Fuel consumption</source>
        <translation>Kraftstoffverbrauch</translation>
    </message>
    <message>
        <source>Odometer</source>
        <translation>Kilometerstand</translation>
    </message>
    <message>
        <source>active</source>
        <translation>aktiv</translation>
    </message>
    <message>
        <source>inactive</source>
        <translation>inaktiv</translation>
    </message>
    <message>
        <source>short circuit ground</source>
        <translation>Kurzschluss nach Masse</translation>
    </message>
    <message>
        <source>short circuit vcc</source>
        <translation>Kurzschluss nach VCC</translation>
    </message>
    <message>
        <source>line break</source>
        <translation>Leitungsbruch</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Heimnetz</translation>
    </message>
    <message>
        <source>Roaming</source>
        <translation>Roaming</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keines</translation>
    </message>
    <message>
        <source>level = %1, t = %2</source>
        <translation>Stand = %1, t = %2</translation>
    </message>
</context>
<context>
    <name>cStatWidgetEx</name>
    <message>
        <source>Storage 0:</source>
        <translation>Speicher 0:</translation>
    </message>
    <message>
        <source>Storage 1:</source>
        <translation>Speicher 1:</translation>
    </message>
    <message>
        <source>Tracker 0:</source>
        <translation>Tracker 0:</translation>
    </message>
    <message>
        <source>Tracker 1:</source>
        <translation>Tracker 1:</translation>
    </message>
    <message>
        <source>Buttons:</source>
        <translation>Tasten:</translation>
    </message>
    <message>
        <source>Device:</source>
        <translation>Gerät:</translation>
    </message>
    <message>
        <source>SOS</source>
        <translation>SOS</translation>
    </message>
    <message>
        <source>Call request</source>
        <translation>Rückrufanforderung</translation>
    </message>
    <message>
        <source>CPU load</source>
        <translation>CPU-Last</translation>
    </message>
    <message>
        <source>Threads</source>
        <translation>Threads</translation>
    </message>
    <message>
        <source>Partition</source>
        <translation>Partition</translation>
    </message>
    <message>
        <source>Heap</source>
        <translation>Heap</translation>
    </message>
    <message>
        <source>Pressed</source>
        <translation>Gedrückt</translation>
    </message>
    <message>
        <source>Unpressed</source>
        <translation>Nicht gedrückt</translation>
    </message>
    <message>
        <source>%1%, free: %2</source>
        <translation>%1%, frei: %2</translation>
    </message>
    <message>
        <source>%1%, free: %2, min: %3</source>
        <translation>%1%, frei: %2, min.: %3</translation>
    </message>
</context>
<context>
    <name>cStatWidgetEx2</name>
    <message>
        <source>External CANLog:</source>
        <translation>Externes CAN-Protokoll:</translation>
    </message>
    <message>
        <source>Front hydraulics</source>
        <translation>Fronthydraulik</translation>
    </message>
    <message>
        <source>Brushes</source>
        <translation>Bürsten</translation>
    </message>
    <message>
        <source>Water supply</source>
        <translation>Wasserzufuhr</translation>
    </message>
    <message>
        <source>Vacuum cleaner</source>
        <translation>Sauger</translation>
    </message>
    <message>
        <source>Hopper unloading</source>
        <translation>Behälterentleerung</translation>
    </message>
    <message>
        <source>High pressure washer</source>
        <translation>Hochdruckreiniger</translation>
    </message>
    <message>
        <source>Dispersion of sand and salt</source>
        <translation>Sand- und Salzstreuung</translation>
    </message>
    <message>
        <source>Low level of sand in the hopper</source>
        <translation>Niedriger Sandstand im Behälter</translation>
    </message>
    <message>
        <source>Low fluid level in the hopper</source>
        <translation>Niedriger Flüssigkeitsstand im Behälter</translation>
    </message>
    <message>
        <source>Rear hydraulics</source>
        <translation>Heckhydraulik</translation>
    </message>
    <message>
        <source>Independent engine</source>
        <translation>Zusatzmotor</translation>
    </message>
    <message>
        <source>Joystick right</source>
        <translation>Joystick rechts</translation>
    </message>
    <message>
        <source>Joystick left</source>
        <translation>Joystick links</translation>
    </message>
    <message>
        <source>Joystick forward</source>
        <translation>Joystick vor</translation>
    </message>
    <message>
        <source>Joystick backward</source>
        <translation>Joystick zurück</translation>
    </message>
</context>
<context>
    <name>cTestDelegate</name>
    <message>
        <source>Runs: %1, OK: %2</source>
        <translation>Läufe: %1, OK: %2</translation>
    </message>
</context>
<context>
    <name>cTestHandle</name>
    <message>
        <source>- empty -</source>
        <translation>- leer -</translation>
    </message>
</context>
<context>
    <name>cTestItem</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Enqueued</source>
        <translation>In Warteschlange</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>Läuft</translation>
    </message>
    <message>
        <source>Canceling</source>
        <translation>Wird abgebrochen</translation>
    </message>
    <message>
        <source>Canceled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Status details: %1</source>
        <translation>Statusdetails: %1</translation>
    </message>
    <message>
        <source>Status: %1</source>
        <translation>Status: %1</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Details: %1</translation>
    </message>
</context>
<context>
    <name>cTestLogWidget</name>
    <message>
        <source>Test results</source>
        <translation>Testergebnisse</translation>
    </message>
    <message>
        <source>Short log</source>
        <translation>Kurzprotokoll</translation>
    </message>
    <message>
        <source>Detailed log</source>
        <translation>Ausführliches Protokoll</translation>
    </message>
    <message>
        <source>Extra log</source>
        <translation>Zusatzprotokoll</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>There is no test run to report.</source>
        <translation>Es gibt keinen Testlauf, über den berichtet werden kann.</translation>
    </message>
    <message>
        <source>Text files (*.txt *.log)</source>
        <translation>Textdateien (*.txt *.log)</translation>
    </message>
    <message>
        <source>JUnit XML of the current run (*.xml)</source>
        <translation>JUnit-XML des aktuellen Laufs (*.xml)</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Cannot write &apos;%1&apos;: %2</source>
        <translation>„%1“ kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>cTestMainWindow</name>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
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
        <source>Operations</source>
        <translation>Aktionen</translation>
    </message>
    <message>
        <source>Connect to device</source>
        <translation>Mit Gerät verbinden</translation>
    </message>
    <message>
        <source>Disconnect from device</source>
        <translation>Vom Gerät trennen</translation>
    </message>
    <message>
        <source>Switch to voice mode</source>
        <translation>In den Sprachmodus schalten</translation>
    </message>
    <message>
        <source>Reboot device</source>
        <translation>Gerät neu starten</translation>
    </message>
    <message>
        <source>Select/Unselect all</source>
        <translation>Alle aus-/abwählen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Tests will be run as many times as this counter shows (1 - 10000)</source>
        <translation>Die Tests werden so oft ausgeführt, wie dieser Zähler angibt (1 - 10000)</translation>
    </message>
    <message>
        <source>No test has finished since the unit was connected.</source>
        <translation>Seit dem Verbinden des Geräts ist kein Test beendet worden.</translation>
    </message>
</context>
<context>
    <name>cTestModel</name>
    <message>
        <source>Test name</source>
        <translation>Testname</translation>
    </message>
    <message>
        <source>Statistics</source>
        <translation>Statistik</translation>
    </message>
    <message>
        <source>Was started</source>
        <translation>Gestartet</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
</context>
<context>
    <name>cTestRunner</name>
    <message>
        <source>Application fatal error detected!</source>
        <translation>Schwerer Anwendungsfehler erkannt!</translation>
    </message>
    <message>
        <source>Restart is strongly recomended!</source>
        <translation>Ein Neustart wird dringend empfohlen!</translation>
    </message>
    <message>
        <source>TestRunner: error initializing LUA - %1</source>
        <translation>TestRunner: Fehler beim Initialisieren von LUA - %1</translation>
    </message>
</context>
<context>
    <name>cTestView</name>
    <message>
        <source>Run current test</source>
        <translation>Aktuellen Test ausführen</translation>
    </message>
    <message>
        <source>Run checked tests</source>
        <translation>Markierte Tests ausführen</translation>
    </message>
    <message>
        <source>Run all tests</source>
        <translation>Alle Tests ausführen</translation>
    </message>
    <message>
        <source>Stop current test</source>
        <translation>Aktuellen Test anhalten</translation>
    </message>
    <message>
        <source>Stop all tests</source>
        <translation>Alle Tests anhalten</translation>
    </message>
    <message>
        <source>Save result</source>
        <translation>Ergebnis speichern</translation>
    </message>
    <message>
        <source>Some tests finished with error</source>
        <translation>Einige Tests endeten mit Fehler</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>cUserDialog</name>
    <message>
        <source>Input values</source>
        <translation>Werte eingeben</translation>
    </message>
    <message>
        <source>Test: %1</source>
        <translation>Test: %1</translation>
    </message>
</context>
<context>
    <name>cZtApi</name>
    <message>
        <source>[%1] incorrect argument</source>
        <translation>[%1] ungültiges Argument</translation>
    </message>
    <message>
        <source>[%1] incorrect argument: %2</source>
        <translation>[%1] ungültiges Argument: %2</translation>
    </message>
    <message>
        <source>invalid argument count (expected to be %1)</source>
        <translation>ungültige Anzahl der Argumente (erwartet: %1)</translation>
    </message>
    <message>
        <source>invalid handle (expected to be userdata, got %1)</source>
        <translation>ungültiges Handle (erwartet: userdata, erhalten: %1)</translation>
    </message>
    <message>
        <source>invalid GPIO name (expected to be string, got %1)</source>
        <translation>ungültiger GPIO-Name (erwartet: string, erhalten: %1)</translation>
    </message>
    <message>
        <source>invalid state (expected to be boolean, got %1)</source>
        <translation>ungültiger Zustand (erwartet: boolean, erhalten: %1)</translation>
    </message>
</context>
<context>
    <name>embeddedunit</name>
    <message>
        <source>Simulated unit</source>
        <translation>Simuliertes Gerät</translation>
    </message>
    <message>
        <source>simulated unit on %1</source>
        <translation>simuliertes Gerät an %1</translation>
    </message>
</context>
<context>
    <name>port</name>
    <message>
        <source>bad GPIO name &apos;%1&apos;</source>
        <translation>ungültiger GPIO-Name &apos;%1&apos;</translation>
    </message>
    <message>
        <source>GPIO &apos;%1&apos; is not one of %2</source>
        <translation>GPIO &apos;%1&apos; ist keiner von %2</translation>
    </message>
</context>
</TS>
