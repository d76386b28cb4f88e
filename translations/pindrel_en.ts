<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>frmClosingPort</name>
    <message numerus="yes">
        <source>Sending to the receiver on %1 before closing.
%n byte(s) left, about %2 s.</source>
        <translation>
            <numerusform>Sending to the receiver on %1 before closing.
%n byte left, about %2 s.</numerusform>
            <numerusform>Sending to the receiver on %1 before closing.
%n bytes left, about %2 s.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sending to the receiver on %1 before closing.
%n byte(s) left, about %2 min %3 s.</source>
        <translation>
            <numerusform>Sending to the receiver on %1 before closing.
%n byte left, about %2 min %3 s.</numerusform>
            <numerusform>Sending to the receiver on %1 before closing.
%n bytes left, about %2 min %3 s.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>frmGarminWaypoint</name>
    <message numerus="yes">
        <source>The serial port %1 stopped working while Pindrel was waiting for it to send, and has been closed: the last %n byte(s) did not go out.

%2</source>
        <translation>
            <numerusform>The serial port %1 stopped working while Pindrel was waiting for it to send, and has been closed: the last %n byte did not go out.

%2</numerusform>
            <numerusform>The serial port %1 stopped working while Pindrel was waiting for it to send, and has been closed: the last %n bytes did not go out.

%2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The serial port %1 was closed before everything had been sent: the last %n byte(s) did not go out.</source>
        <translation>
            <numerusform>The serial port %1 was closed before everything had been sent: the last %n byte did not go out.</numerusform>
            <numerusform>The serial port %1 was closed before everything had been sent: the last %n bytes did not go out.</numerusform>
        </translation>
    </message>
</context>
</TS>
