<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>ReceiverReadingLine</name>
    <message numerus="yes">
        <source>And %n more.</source>
        <translation>
            <numerusform>And %n more.</numerusform>
            <numerusform>And %n more.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RememberedChoices</name>
    <message numerus="yes">
        <source>It did not answer within %n second(s).</source>
        <translation>
            <numerusform>It did not answer within %n second.</numerusform>
            <numerusform>It did not answer within %n seconds.</numerusform>
        </translation>
    </message>
</context>
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
    <message numerus="yes">
        <source>Sending to %1 before closing.
%n byte(s) left.</source>
        <translation>
            <numerusform>Sending to %1 before closing.
%n byte left.</numerusform>
            <numerusform>Sending to %1 before closing.
%n bytes left.</numerusform>
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
    <message numerus="yes">
        <source>%n waypoint(s) from %1 were not sent.</source>
        <translation>
            <numerusform>%n waypoint from %1 was not sent.</numerusform>
            <numerusform>%n waypoints from %1 were not sent.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The connection to %1 stopped working and has been closed: the last %n byte(s) did not go out.

%2</source>
        <translation>
            <numerusform>The connection to %1 stopped working and has been closed: the last %n byte did not go out.

%2</numerusform>
            <numerusform>The connection to %1 stopped working and has been closed: the last %n bytes did not go out.

%2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The connection to %1 stopped working while Pindrel was waiting for it to send, and has been closed: the last %n byte(s) did not go out.

%2</source>
        <translation>
            <numerusform>The connection to %1 stopped working while Pindrel was waiting for it to send, and has been closed: the last %n byte did not go out.

%2</numerusform>
            <numerusform>The connection to %1 stopped working while Pindrel was waiting for it to send, and has been closed: the last %n bytes did not go out.

%2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The connection to %1 was closed before everything had been sent: the last %n byte(s) did not go out.</source>
        <translation>
            <numerusform>The connection to %1 was closed before everything had been sent: the last %n byte did not go out.</numerusform>
            <numerusform>The connection to %1 was closed before everything had been sent: the last %n bytes did not go out.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>frmWaypointFile</name>
    <message numerus="yes">
        <source>%n waypoint(s) ticked of %1.</source>
        <translation>
            <numerusform>%n waypoint ticked of %1.</numerusform>
            <numerusform>%n waypoints ticked of %1.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n waypoint(s) sent, %2 left.</source>
        <translation>
            <numerusform>%1 of %n waypoint sent, %2 left.</numerusform>
            <numerusform>%1 of %n waypoints sent, %2 left.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>And %n more.</source>
        <translation>
            <numerusform>And %n more.</numerusform>
            <numerusform>And %n more.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n row(s) of the file were left out.</source>
        <translation>
            <numerusform>%n row of the file was left out.</numerusform>
            <numerusform>%n rows of the file were left out.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>All %n waypoint(s) sent.</source>
        <translation>
            <numerusform>The waypoint was sent.</numerusform>
            <numerusform>All %n waypoints sent.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Cancelled: %1 of %2 sent; %n not sent.</source>
        <translation>
            <numerusform>Cancelled: %1 of %2 sent; %n not sent.</numerusform>
            <numerusform>Cancelled: %1 of %2 sent; %n not sent.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The port closed: %1 of %2 sent; %n not sent.</source>
        <translation>
            <numerusform>The port closed: %1 of %2 sent; %n not sent.</numerusform>
            <numerusform>The port closed: %1 of %2 sent; %n not sent.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n waypoint(s) were saved; the next could not be saved to %2.

%3</source>
        <translation>
            <numerusform>%1 of %n waypoint was saved; the next could not be saved to %2.

%3</numerusform>
            <numerusform>%1 of %n waypoints were saved; the next could not be saved to %2.

%3</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n waypoint(s) saved to %1.</source>
        <translation>
            <numerusform>%n waypoint saved to %1.</numerusform>
            <numerusform>%n waypoints saved to %1.</numerusform>
        </translation>
    </message>
</context>
</TS>
