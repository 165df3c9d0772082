<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>camData</name>
    <message>
        <source>Eingehender Ruf von </source>
        <translation>Incoming call from </translation>
    </message>
</context>
<context>
    <name>camHandel</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Tür öffnen</source>
        <translation>Open door</translation>
    </message>
    <message>
        <source>Öffnen + Beenden</source>
        <translation>Open + hang up</translation>
    </message>
    <message>
        <source>Beleuchtung ein</source>
        <translation>Light on</translation>
    </message>
    <message>
        <source>SIP anrufen</source>
        <translation>Call station</translation>
    </message>
    <message>
        <source>Bild speichern</source>
        <translation>Save picture</translation>
    </message>
    <message>
        <source>Video speichern</source>
        <translation>Record video</translation>
    </message>
    <message>
        <source>Drucken</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Start Kamera</source>
        <translation>Start camera</translation>
    </message>
    <message>
        <source>Vollbild</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>Alle Bilder</source>
        <translation>All pictures</translation>
    </message>
    <message>
        <source>Stop Kamera</source>
        <translation>Stop camera</translation>
    </message>
</context>
<context>
    <name>edition</name>
    <message>
        <source>TORVA HRS-410 MultiViewer V2.2.6</source>
        <translation>TORVA HRS-410 MultiViewer V2.2.6</translation>
    </message>
    <message>
        <source>TORVA HRM-410</source>
        <translation>TORVA HRM-410</translation>
    </message>
    <message>
        <source>AXIS IP Kamera</source>
        <translation>AXIS IP camera</translation>
    </message>
    <message>
        <source>QUARDELLO DX-CAM Viewer V2.2.6</source>
        <translation>QUARDELLO DX-CAM Viewer V2.2.6</translation>
    </message>
    <message>
        <source>DX-CAM</source>
        <translation>DX-CAM</translation>
    </message>
    <message>
        <source>AXIS M1113</source>
        <translation>AXIS M1113</translation>
    </message>
    <message>
        <source>Marviton.DX-CAM-Viewer V2.2.6</source>
        <translation>Marviton.DX-CAM-Viewer V2.2.6</translation>
    </message>
    <message>
        <source>Marviton.DX-CAM</source>
        <translation>Marviton.DX-CAM</translation>
    </message>
</context>
<context>
    <name>iniData</name>
    <message>
        <source>Tür öffnen,Beleuchtung ein</source>
        <translation>Open door,Light on</translation>
    </message>
</context>
<context>
    <name>ownCam</name>
    <message>
        <source>ownCam</source>
        <translation>ownCam</translation>
    </message>
    <message>
        <source>info</source>
        <translation>info</translation>
    </message>
    <message>
        <source>Speichern</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>--&gt;&gt;</source>
        <translation>--&gt;&gt;</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>kein Fehlerbild für &apos;Nicht Verbunden&apos; vorhanden</source>
        <translation>No picture for &apos;not connected&apos; available</translation>
    </message>
    <message>
        <source>Mi&amp;nimieren</source>
        <translation>Mi&amp;nimise</translation>
    </message>
    <message>
        <source>Ma&amp;ximieren</source>
        <translation>Ma&amp;ximise</translation>
    </message>
    <message>
        <source>&amp;Wiederherstellen</source>
        <translation>&amp;Restore</translation>
    </message>
    <message>
        <source>&amp;Sprache</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>&amp;Einstellungen</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>&amp;Beenden</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;ToggleHideCtrl</source>
        <translation>&amp;Toggle control bar</translation>
    </message>
</context>
<context>
    <name>ownMsgBox</name>
    <message>
        <source>Das Programm bleibt im &apos;System Tray&apos; aktiv. Zum Verlassen 
wählen Sie bitte im System Tray Menü den Eintrag &lt;Beenden&gt;.</source>
        <translation>The program stays active in the system tray. To leave it, 
choose &lt;Quit&gt; in the system tray menu.</translation>
    </message>
</context>
<context>
    <name>pasw1Dia</name>
    <message>
        <source>Passwort Viewer Eingabe</source>
        <translation>Viewer password</translation>
    </message>
    <message>
        <source>Passwort :</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Passwort Einstellungen Eingabe</source>
        <translation>Settings password</translation>
    </message>
    <message>
        <source> Passwort ist falsch </source>
        <translation> Wrong password </translation>
    </message>
</context>
<context>
    <name>paswDia</name>
    <message>
        <source>Dialog :: Authentikation durchführen</source>
        <translation>Dialog :: Log in</translation>
    </message>
    <message>
        <source>Um diese Seite zu erreichen wird Username und Passwort benötigt</source>
        <translation>A user name and password are needed to reach this camera</translation>
    </message>
    <message>
        <source>Kamera:</source>
        <translation>Camera:</translation>
    </message>
    <message>
        <source>Benutzer:</source>
        <translation>User:</translation>
    </message>
    <message>
        <source>Passwort:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 at %2</translation>
    </message>
</context>
<context>
    <name>paswSettings</name>
    <message>
        <source>Neues Passwort für Einstellungen</source>
        <translation>New password for the settings</translation>
    </message>
    <message>
        <source>Altes Passwort</source>
        <translation>Old password</translation>
    </message>
    <message>
        <source>Neues Passwort</source>
        <translation>New password</translation>
    </message>
    <message>
        <source>Wiederholung</source>
        <translation>Repeat new password</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Passwort muss mindestens 3 Zeichen lang sein</source>
        <translation>The password must be at least 3 characters long</translation>
    </message>
    <message>
        <source> Altes Passwort ist falsch </source>
        <translation> The old password is wrong </translation>
    </message>
    <message>
        <source>Das neue Passwort enthält Zeichen, die nicht gespeichert werden können (zum Beispiel €). Bitte nur Buchstaben, Ziffern und Zeichen der westeuropäischen Tastatur verwenden.</source>
        <translation>The new password contains characters that cannot be stored (such as €). Please use only letters, digits and the characters of a Western European keyboard.</translation>
    </message>
    <message>
        <source>Neues Passwort und Wiederholung sind nicht identisch !</source>
        <translation>The new password and its repetition do not match!</translation>
    </message>
    <message>
        <source>Neues Passwort für Viewer</source>
        <translation>New password for the viewer</translation>
    </message>
    <message>
        <source>Das Passwort konnte nicht gespeichert werden: die Datei %1 ist nicht beschreibbar.</source>
        <translation>The password could not be saved: the file %1 cannot be written.</translation>
    </message>
</context>
<context>
    <name>service</name>
    <message>
        <source>Service Daten</source>
        <translation>Service data</translation>
    </message>
    <message>
        <source>Statistik</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>Steuerungs-Block</source>
        <translation>Control block</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Kamera</source>
        <translation>Camera</translation>
    </message>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>akt
[Bild/s]</source>
        <translation>now
[pic/s]</translation>
    </message>
    <message>
        <source>sum
[Bild/s]</source>
        <translation>avg
[pic/s]</translation>
    </message>
    <message>
        <source>Empf
[Bild]</source>
        <translation>Recv
[pic]</translation>
    </message>
    <message>
        <source>Disp
[Bild]</source>
        <translation>Shown
[pic]</translation>
    </message>
    <message>
        <source>Tuer=%1(%2[s]);</source>
        <translation>Door=%1(%2[s]);</translation>
    </message>
</context>
<context>
    <name>spracheDia</name>
    <message>
        <source>Sprache wählen</source>
        <translation>Choose language</translation>
    </message>
    <message>
        <source>Deutsch</source>
        <translation>German</translation>
    </message>
    <message>
        <source>Englisch</source>
        <translation>English</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
