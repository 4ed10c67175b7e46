<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>TValueBrowser</name>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Value</source>
        <translation type="unfinished"></translation>
    </message>
</context>
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
    <name>cAdapterFile</name>
    <message>
        <source>the file is larger than %1 bytes and is ignored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read section header &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>empty section name; the section is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the section appears twice; the second is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text outside of any section is ignored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a key=value line; the unit is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown key (known: %1); the unit is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the key appears twice; the unit is skipped</source>
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
    <name>cDeviceFSModel</name>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cDeviceFSRunner</name>
    <message>
        <source>Too many requests waiting, request refused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No res plugin</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Application fatal error detected!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restart is strongly recomended!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to init files transfer mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DIR: ok = %1, answer = %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to execute dir request for &apos;%1&apos;, answer = %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to get %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to get data buffer for %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to open %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to read %1, data is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ok = %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to copy %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to delete file %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to delete directory %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Making dir: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>System error: failed to get dir list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Directory is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can&apos;t get directory contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can&apos;t open directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>failed to parse entry: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cDeviceFSView</name>
    <message>
        <source>Copy selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete selected</source>
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
    <name>cFilePanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Make dir</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cFilesMainWindow</name>
    <message>
        <source>Operations</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect to device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disconnect from device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overwrite confirmation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>These files already exist in %1:
%2
Overwrite them?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Directory name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete confirmation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you realy want to delete this files?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copying: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File: %1 %, all files: %2 %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File transfer inited</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to init file transfer</source>
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
    <name>cGpioChip</name>
    <message>
        <source>%1 cannot be opened (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 has no line named %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no line named %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: line %2 cannot be requested (%3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: reading line %2 failed (%3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: line %2 cannot be made an output (%3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: setting line %2 failed (%3)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cI2cDevBus</name>
    <message>
        <source>%1 cannot be opened (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not an I2C bus that takes plain transfers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: I2C %2 of %3 bytes at address %4 failed (%5)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: bad I2C read of %2 bytes at address %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: bad I2C write of %2 bytes at address %3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cLineWatch</name>
    <message>
        <source>Connection to device &apos;%1&apos; lost: its serial line closed (cable pulled or unit switched off). The remaining tests are canceled; disconnect, check the cable and connect again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection to device &apos;%1&apos; lost while it was being set up: its serial line closed (cable pulled or unit switched off).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The unit&apos;s serial line was lost</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cLocalFSView</name>
    <message>
        <source>Copy selected</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cLogMainWindow</name>
    <message>
        <source>State</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Extended</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>External CANLog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&gt; Input CLI command here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keywords, separated by commas; only lines that contain one are shown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the receive time in front of each line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show keywords</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keywords</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show command line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CLI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Logs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New keyword</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Operations</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect to device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disconnect from device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log read requested</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log stop requested</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log clear requested</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log save requested</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The log could not be saved to %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trying to send command: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The keyword list could not be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The unreadable keyword list was kept as %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The keyword list could not be saved: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> [... %1 more characters in the device log]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[... %1 lines not shown here; the device log has them]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Received: %1 lines, %2 bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (%1 lines only in the device log)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cLogModel</name>
    <message>
        <source>Trace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notify</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Debug</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Level</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message</source>
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
    <name>cParser</name>
    <message>
        <source>Adapter file %1, line %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, section [%1]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, key &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>missing key &apos;serial&apos;; the unit is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a serial device path; the unit is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>bad baud rate &apos;%1&apos;; the unit is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>bad or repeated GPIO name &apos;%1&apos;; the unit is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GPIO names need a &apos;gpiochip&apos;; the unit is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>empty value; the unit is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>adapter [%1] of %2</source>
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
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cPortManager</name>
    <message>
        <source>A unit without an id cannot be opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unit &apos;%1&apos; has no ports to open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unit &apos;%1&apos; cannot be opened: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unit &apos;%1&apos; is already open by this program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is already open by unit &apos;%2&apos; in this program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unit &apos;%1&apos; opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unit &apos;%1&apos; closed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adapter file %1 cannot be read: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>serial port</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cPortSelector</name>
    <message>
        <source>No port found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port of the unit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search for ports again</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cSerialLine</name>
    <message>
        <source>unsupported baud rate %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read the line settings (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot apply the line settings (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be opened: out of file descriptors</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be opened (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is already open by another program (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be opened: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was disconnected (%2: %3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: waiting for data failed (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: waiting to write failed (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: write timed out after %2 of %3 bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: write failed (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: unsupported baud rate %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cSimAdapterLink</name>
    <message>
        <source>bad socket path &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot create a socket (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot connect to %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>malformed request</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot send to %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>answer from %1 is too long</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no answer from %1 within %2 ms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read from %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>connection to %1 lost (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>request refused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unexpected answer &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>connection to %1 lost</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cSimGpio</name>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: reading GPIO %2 failed: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: reading GPIO %2 gave &apos;%3&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: setting GPIO %2 failed: %3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cSimI2c</name>
    <message>
        <source>%1: bad I2C read of %2 bytes at address %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: I2C read at address %2 failed: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: I2C read at address %2 gave a malformed answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: bad I2C write of %2 bytes at address %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: I2C write at address %2 failed: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: I2C write at address %2 gave a malformed answer</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cStatWidget</name>
    <message>
        <source>Navigation:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GSM:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AIN:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DIN:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Counter:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FMeter:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fuel:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CANLog:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Timestamp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Longitude</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Latitude</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Longitude (mas)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Latitude (mas)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Altitude</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sat count</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSQ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>State</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RPM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fuel level</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Engine uptime</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fuel consumption</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Odometer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>active</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>inactive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>short circuit ground</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>short circuit vcc</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>line break</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Home</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Roaming</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>level = %1, t = %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cStatWidgetEx</name>
    <message>
        <source>Storage 0:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Storage 1:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tracker 0:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tracker 1:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Buttons:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Device:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SOS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Call request</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CPU load</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Threads</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Partition</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Heap</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pressed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unpressed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1%, free: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1%, free: %2, min: %3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cStatWidgetEx2</name>
    <message>
        <source>External CANLog:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Front hydraulics</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brushes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Water supply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vacuum cleaner</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hopper unloading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High pressure washer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dispersion of sand and salt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low level of sand in the hopper</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low fluid level in the hopper</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rear hydraulics</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Independent engine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Joystick right</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Joystick left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Joystick forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Joystick backward</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cTestDelegate</name>
    <message>
        <source>Runs: %1, OK: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cTestHandle</name>
    <message>
        <source>- empty -</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cTestItem</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enqueued</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Running</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Canceling</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Canceled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status details: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cTestLogWidget</name>
    <message>
        <source>Test results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Short log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Detailed log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Extra log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is no test run to report.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text files (*.txt *.log)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>JUnit XML of the current run (*.xml)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot write &apos;%1&apos;: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cTestMainWindow</name>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
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
        <source>Operations</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect to device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disconnect from device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch to voice mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reboot device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select/Unselect all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tests will be run as many times as this counter shows (1 - 10000)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No test has finished since the unit was connected.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cTestModel</name>
    <message>
        <source>Test name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Statistics</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Was started</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cTestRunner</name>
    <message>
        <source>Application fatal error detected!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restart is strongly recomended!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TestRunner: error initializing LUA - %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cTestView</name>
    <message>
        <source>Run current test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run checked tests</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run all tests</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop current test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop all tests</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save result</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Some tests finished with error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cUserDialog</name>
    <message>
        <source>Input values</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>cZtApi</name>
    <message>
        <source>[%1] incorrect argument</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[%1] incorrect argument: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>invalid argument count (expected to be %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>invalid handle (expected to be userdata, got %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>invalid GPIO name (expected to be string, got %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>invalid state (expected to be boolean, got %1)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>embeddedunit</name>
    <message>
        <source>Simulated unit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>simulated unit on %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>port</name>
    <message>
        <source>bad GPIO name &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GPIO &apos;%1&apos; is not one of %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
