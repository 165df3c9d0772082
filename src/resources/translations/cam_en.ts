<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>EinstDia</name>
    <message>
        <source>Einstellungen</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>aktuelle Kamera</source>
        <translation>current camera</translation>
    </message>
    <message>
        <source>Übernehmen</source>
        <translation>Apply</translation>
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
        <source>Kamera</source>
        <translation>Camera</translation>
    </message>
    <message>
        <source>Sprechstelle</source>
        <translation>Door station</translation>
    </message>
    <message>
        <source>Videobild</source>
        <translation>Video picture</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Sprechstelle: %1</source>
        <translation>Door station: %1</translation>
    </message>
    <message>
        <source>Das Modul konnte nicht umbenannt werden.
Ein Modul mit gleichem Namen existiert bereits.</source>
        <translation>The module could not be renamed.
A module with the same name already exists.</translation>
    </message>
    <message>
        <source>Standard-Modul wird angelegt.
Bitte die Standard-Werte anpassen und übernehmen</source>
        <translation>A standard module is being created.
Please adjust the standard values and apply them</translation>
    </message>
    <message>
        <source>Bitte mit &apos;CAM hinzufügen&apos;
default Daten laden und editieren</source>
        <translation>Please load the default data with &apos;Add CAM&apos;
and edit it</translation>
    </message>
    <message>
        <source>Die Änderungen am Modul &quot;%1&quot; sind noch nicht gespeichert.
Sollen sie gespeichert werden?</source>
        <translation>The changes to the module &quot;%1&quot; have not been stored yet.
Store them?</translation>
    </message>
    <message>
        <source>Wollen Sie die Kamera &quot;%1&quot; wirklich entfernen?</source>
        <translation>Do you really want to remove the camera &quot;%1&quot;?</translation>
    </message>
</context>
<context>
    <name>auxDialogs</name>
    <message>
        <source>Die Einstellung konnte nicht gespeichert werden: die Datei %1 ist nicht beschreibbar.</source>
        <translation>The setting could not be saved: the file %1 cannot be written.</translation>
    </message>
</context>
<context>
    <name>callNotifier</name>
    <message>
        <source>Keine Verbindung zum Sitzungsbus (D-Bus): Rufe werden nicht als Desktop-Benachrichtigung gemeldet.</source>
        <translation>No connection to the session bus (D-Bus): calls are not announced as desktop notifications.</translation>
    </message>
    <message>
        <source>Anzeigen</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Desktop-Benachrichtigungen sind nicht möglich (%1): Rufe werden nur im Fenster gemeldet.</source>
        <translation>Desktop notifications are not possible (%1): calls are shown in the window only.</translation>
    </message>
    <message>
        <source>Eingehender Ruf</source>
        <translation>Incoming call</translation>
    </message>
    <message>
        <source>Sprechstelle %1, Kamera %2</source>
        <translation>Door station %1, camera %2</translation>
    </message>
    <message>
        <source>Alarm an Eingang %1</source>
        <translation>Alarm on input %1</translation>
    </message>
    <message>
        <source>IO-Modul %1, Kamera %2</source>
        <translation>IO module %1, camera %2</translation>
    </message>
    <message>
        <source>Verlauf</source>
        <translation>History</translation>
    </message>
    <message>
        <source>Verpasster Ruf</source>
        <translation>Missed call</translation>
    </message>
    <message>
        <source>Verpasster Ruf von %1 um %2</source>
        <translation>Missed call from %1 at %2</translation>
    </message>
</context>
<context>
    <name>callTracker</name>
    <message>
        <source>Kamera entfernt</source>
        <translation>camera removed</translation>
    </message>
    <message>
        <source>Viewer beendet</source>
        <translation>viewer ended</translation>
    </message>
</context>
<context>
    <name>callerPicture</name>
    <message>
        <source>Kamera nicht verbunden</source>
        <translation>camera not connected</translation>
    </message>
    <message>
        <source>keine Bilder von der Kamera</source>
        <translation>no pictures from the camera</translation>
    </message>
</context>
<context>
    <name>camData</name>
    <message>
        <source>Eingehender Ruf von </source>
        <translation>Incoming call from </translation>
    </message>
    <message>
        <source>Dekodieren im Rückstand: Bilder bis zum nächsten Schlüsselbild ausgelassen</source>
        <translation>Decoding behind: pictures left out up to the next key picture</translation>
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
    <message>
        <source>Tür öffnen,Beleuchtung ein</source>
        <translation>Open door,Light on</translation>
    </message>
    <message>
        <source>Verlauf</source>
        <translation>History</translation>
    </message>
</context>
<context>
    <name>camPage</name>
    <message>
        <source>Dateien: %1/JJJJMMTT_hhmmss_%2%3</source>
        <translation>Files: %1/YYYYMMDD_hhmmss_%2%3</translation>
    </message>
    <message>
        <source>DX-CAM-Modul</source>
        <translation>DX-CAM module</translation>
    </message>
    <message>
        <source>Modul-Name</source>
        <translation>Module name</translation>
    </message>
    <message>
        <source>Kamera-Typ</source>
        <translation>Camera type</translation>
    </message>
    <message>
        <source>IP-Adresse (URL)</source>
        <translation>IP address (URL)</translation>
    </message>
    <message>
        <source>Benutzername</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>Passwort</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Statusport (Senden)</source>
        <translation>Status port (sending)</translation>
    </message>
    <message>
        <source>Steuerport (Empf.)</source>
        <translation>Control port (receiving)</translation>
    </message>
    <message>
        <source>PopUp durch DX-CAM IO-Interface</source>
        <translation>Pop-up by the DX-CAM IO interface</translation>
    </message>
    <message>
        <source>nicht aktiv</source>
        <translation>not active</translation>
    </message>
    <message>
        <source>IO.1</source>
        <translation>IO.1</translation>
    </message>
    <message>
        <source>IO.2</source>
        <translation>IO.2</translation>
    </message>
    <message>
        <source>Steuer-Parameter</source>
        <translation>Control parameters</translation>
    </message>
    <message>
        <source>IO.1 (Tür)</source>
        <translation>IO.1 (door)</translation>
    </message>
    <message>
        <source>kein</source>
        <translation>none</translation>
    </message>
    <message>
        <source>Dauer</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Sek.</source>
        <translation>s</translation>
    </message>
    <message>
        <source>IO.2 (Licht)</source>
        <translation>IO.2 (light)</translation>
    </message>
    <message>
        <source>Video speichern</source>
        <translation>Record video</translation>
    </message>
    <message>
        <source>Bildrate:</source>
        <translation>Picture rate:</translation>
    </message>
    <message>
        <source>Bilder pro</source>
        <translation>pictures per</translation>
    </message>
    <message>
        <source>Sekunde</source>
        <translation>second</translation>
    </message>
    <message>
        <source>Minute</source>
        <translation>minute</translation>
    </message>
    <message>
        <source>Stunde</source>
        <translation>hour</translation>
    </message>
    <message>
        <source>Daueraufzeichnung</source>
        <translation>Continuous recording</translation>
    </message>
    <message>
        <source>Starten bei Bewegung und stoppen nach</source>
        <translation>Start on motion and stop after</translation>
    </message>
    <message>
        <source>Sekunden</source>
        <translation>seconds</translation>
    </message>
    <message>
        <source>Verzeichnis:</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>CAM entfernen</source>
        <translation>Remove CAM</translation>
    </message>
    <message>
        <source>CAM hinzufügen</source>
        <translation>Add CAM</translation>
    </message>
    <message>
        <source>generieren</source>
        <translation>generate</translation>
    </message>
    <message>
        <source>Bild speichern</source>
        <translation>Save picture</translation>
    </message>
    <message>
        <source>Verzeichnis auswählen ...</source>
        <translation>Choose a folder ...</translation>
    </message>
    <message>
        <source>HRM-410 Modul</source>
        <translation>HRM-410 module</translation>
    </message>
    <message>
        <source>PopUp durch HRM-410 IO-Interface</source>
        <translation>Pop-up by the HRM-410 IO interface</translation>
    </message>
    <message>
        <source>aktiv</source>
        <translation>active</translation>
    </message>
    <message>
        <source>Starten bei Gesprächsbeginn und stoppen nach</source>
        <translation>Start when a call begins and stop after</translation>
    </message>
    <message>
        <source>Zertifikat (SHA-256)</source>
        <translation>Certificate (SHA-256)</translation>
    </message>
    <message>
        <source>Vergessen</source>
        <translation>Forget</translation>
    </message>
    <message>
        <source>abgelehnt</source>
        <translation>declined</translation>
    </message>
    <message>
        <source>Vorschau-Adresse (klein)</source>
        <translation>Preview address (small)</translation>
    </message>
    <message>
        <source>Aufnahme aus:</source>
        <translation>Record from:</translation>
    </message>
    <message>
        <source>Hauptstrom</source>
        <translation>Main stream</translation>
    </message>
    <message>
        <source>Vorschau</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Der kleine Stream der Kamera für das Raster, mit derselben Anmeldung wie der Hauptstrom. Leer: Das Raster zeigt den Hauptstrom.</source>
        <translation>The camera's small stream for the grid, with the same login as the main stream. Empty: the grid shows the main stream.</translation>
    </message>
</context>
<context>
    <name>connectionReason</name>
    <message>
        <source>Verbindung abgelehnt</source>
        <translation>Connection refused</translation>
    </message>
    <message>
        <source>Keine Antwort</source>
        <translation>No answer</translation>
    </message>
    <message>
        <source>Anmeldung abgelehnt (401)</source>
        <translation>Login refused (401)</translation>
    </message>
    <message>
        <source>Anmeldung abgelehnt (401): kein unterstütztes Anmeldeverfahren angeboten</source>
        <translation>Login refused (401): no supported login method offered</translation>
    </message>
    <message>
        <source>Nicht gefunden (404)</source>
        <translation>Not found (404)</translation>
    </message>
    <message>
        <source>Die Kamera antwortet mit Status %1</source>
        <translation>The camera answers with status %1</translation>
    </message>
    <message>
        <source>Zertifikat nicht vertraut (SHA-256 %1)</source>
        <translation>Certificate not trusted (SHA-256 %1)</translation>
    </message>
    <message>
        <source>Zertifikat geändert: die Kamera zeigt ein anderes als das vertraute (SHA-256 %1)</source>
        <translation>Certificate changed: the camera presents another one than the trusted one (SHA-256 %1)</translation>
    </message>
    <message>
        <source>Unverständliche Antwort</source>
        <translation>Answer not understood</translation>
    </message>
    <message>
        <source>Keine Bilder in der Antwort</source>
        <translation>No pictures in the answer</translation>
    </message>
    <message>
        <source>Bilder bleiben aus</source>
        <translation>Stalled: pictures stopped coming</translation>
    </message>
    <message>
        <source>Verbindung von der Kamera beendet</source>
        <translation>The camera closed the connection</translation>
    </message>
    <message>
        <source>Unbekanntes Bildformat: %1</source>
        <translation>Unknown picture format: %1</translation>
    </message>
    <message>
        <source>Bilder kommen an</source>
        <translation>Pictures are coming in</translation>
    </message>
    <message>
        <source>Umleitung auf anderen Host: %1</source>
        <translation>Redirected to another host: %1</translation>
    </message>
    <message>
        <source>Bild zu groß</source>
        <translation>Picture too large</translation>
    </message>
    <message>
        <source>Bilder nicht lesbar</source>
        <translation>Pictures cannot be read</translation>
    </message>
</context>
<context>
    <name>doorSound</name>
    <message>
        <source>Audio-Effekt &quot;%1&quot; kann nicht gelesen werden.</source>
        <translation>The sound file &quot;%1&quot; cannot be read.</translation>
    </message>
    <message>
        <source>Audio-Effekt &quot;%1&quot; ist keine WAV-Datei und wird nicht abgespielt.</source>
        <translation>The sound file &quot;%1&quot; is not a WAV file and is not played.</translation>
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
    <name>historyModel</name>
    <message>
        <source>kein Bild</source>
        <translation>no picture</translation>
    </message>
    <message>
        <source>Ohne Endemeldung: beendet nach der Zeit &quot;Auto-Minimieren&quot;.</source>
        <translation>No end report: ended after the &quot;Auto-Minimieren&quot; time.</translation>
    </message>
    <message>
        <source>Bild</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>Zeit</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Kamera / Sprechstelle</source>
        <translation>Camera / station</translation>
    </message>
    <message>
        <source>Art</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Dauer</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Was geschah</source>
        <translation>What happened</translation>
    </message>
    <message>
        <source>Sprechstelle wird gerufen</source>
        <translation>Station is being called</translation>
    </message>
    <message>
        <source>Sprechstelle ruft an</source>
        <translation>Station calls</translation>
    </message>
    <message>
        <source>Gespräch</source>
        <translation>Conversation</translation>
    </message>
    <message>
        <source>Eingang 1</source>
        <translation>Input 1</translation>
    </message>
    <message>
        <source>Eingang 2</source>
        <translation>Input 2</translation>
    </message>
    <message>
        <source>läuft</source>
        <translation>lasting</translation>
    </message>
    <message>
        <source>Türöffner Relais</source>
        <translation>Door opener relay</translation>
    </message>
    <message>
        <source>Licht Relais</source>
        <translation>Light relay</translation>
    </message>
    <message>
        <source>verpasst</source>
        <translation>missed</translation>
    </message>
    <message>
        <source>Bild gezeigt</source>
        <translation>picture shown</translation>
    </message>
    <message>
        <source>Fenster geöffnet</source>
        <translation>window opened</translation>
    </message>
    <message>
        <source>Bedienfeld</source>
        <translation>control panel</translation>
    </message>
    <message>
        <source>Tür geöffnet %1 (%2)</source>
        <translation>door opened %1 (%2)</translation>
    </message>
    <message>
        <source>Licht</source>
        <translation>light</translation>
    </message>
    <message>
        <source>aufgelegt</source>
        <translation>hung up</translation>
    </message>
</context>
<context>
    <name>historyPicture</name>
    <message>
        <source>Bild des Rufs</source>
        <translation>Picture of the call</translation>
    </message>
    <message>
        <source>Speichern</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Drucken</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Aufnahme ansehen</source>
        <translation>View recording</translation>
    </message>
    <message>
        <source>Schließen</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Bilder speichern ist in den Einstellungen nicht freigegeben.</source>
        <translation>Saving pictures is not allowed in the settings.</translation>
    </message>
    <message>
        <source>kein Bild</source>
        <translation>no picture</translation>
    </message>
    <message>
        <source>kein Bild: %1</source>
        <translation>no picture: %1</translation>
    </message>
    <message>
        <source>Das Bild ist fehlerhaft.</source>
        <translation>The picture is damaged.</translation>
    </message>
    <message>
        <source>Das Bild konnte nicht in &quot;%1&quot; gespeichert werden.</source>
        <translation>The picture could not be saved in &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Gespeichert: %1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>Der Drucker hat den Auftrag nicht angenommen.</source>
        <translation>The printer did not accept the job.</translation>
    </message>
</context>
<context>
    <name>historyStore</name>
    <message>
        <source>Der Verlauf &quot;%1&quot; lässt sich nicht öffnen (%2) und nicht beiseitelegen: Rufe werden in dieser Sitzung nicht aufgezeichnet.</source>
        <translation>The history &quot;%1&quot; cannot be opened (%2) nor put aside: calls are not recorded in this session.</translation>
    </message>
    <message>
        <source>Der Verlauf &quot;%1&quot; ließ sich nicht öffnen (%2). Er liegt jetzt unter &quot;%3&quot;; ein neuer Verlauf beginnt.</source>
        <translation>The history &quot;%1&quot; could not be opened (%2). It now lies at &quot;%3&quot;; a new history begins.</translation>
    </message>
    <message>
        <source>Der Verlauf &quot;%1&quot; lässt sich nicht anlegen (%2): Rufe werden in dieser Sitzung nicht aufgezeichnet.</source>
        <translation>The history &quot;%1&quot; cannot be created (%2): calls are not recorded in this session.</translation>
    </message>
    <message>
        <source>keine Verlaufsdatenbank</source>
        <translation>not a history database</translation>
    </message>
    <message>
        <source>Version %1, erwartet %2</source>
        <translation>version %1, expected %2</translation>
    </message>
    <message>
        <source>nicht beschreibbar</source>
        <translation>not writable</translation>
    </message>
    <message>
        <source>Bild entfernt: Platz für neuere Bilder</source>
        <translation>picture removed: room for newer pictures</translation>
    </message>
</context>
<context>
    <name>historyWindow</name>
    <message>
        <source>Verlauf</source>
        <translation>History</translation>
    </message>
    <message>
        <source>nur verpasste</source>
        <translation>missed only</translation>
    </message>
    <message>
        <source>Zeitraum von</source>
        <translation>From</translation>
    </message>
    <message>
        <source>bis</source>
        <translation>to</translation>
    </message>
    <message>
        <source>Bild anzeigen</source>
        <translation>Show picture</translation>
    </message>
    <message>
        <source>Aufnahme ansehen</source>
        <translation>View recording</translation>
    </message>
    <message>
        <source>Schließen</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>1 verpasster Ruf</source>
        <translation>1 missed call</translation>
    </message>
    <message>
        <source>%1 verpasste Rufe</source>
        <translation>%1 missed calls</translation>
    </message>
    <message>
        <source>Es wird kein Verlauf geführt (kein Ordner für die Datei).</source>
        <translation>No history is kept (no folder for its file).</translation>
    </message>
    <message>
        <source>Der Verlauf &quot;%1&quot; ist noch nicht da.</source>
        <translation>The history &quot;%1&quot; is not there yet.</translation>
    </message>
    <message>
        <source>%1 Ereignisse</source>
        <translation>%1 events</translation>
    </message>
    <message>
        <source>Kein Ereignis gewählt.</source>
        <translation>No event chosen.</translation>
    </message>
</context>
<context>
    <name>historyWriter</name>
    <message>
        <source>Der Verlauf kann nicht geschrieben werden (%1): die Rufe werden gehalten und geschrieben, sobald es wieder geht.</source>
        <translation>The history cannot be written (%1): the calls are kept and written as soon as it works again.</translation>
    </message>
    <message>
        <source>Die Bilder des Verlaufs können nicht gespeichert werden (%1); die Rufe werden weiter ohne Bild aufgezeichnet.</source>
        <translation>The history&apos;s pictures cannot be saved (%1); calls are still recorded, without a picture.</translation>
    </message>
    <message>
        <source>Bild nicht gespeichert: %1</source>
        <translation>picture not saved: %1</translation>
    </message>
</context>
<context>
    <name>iniData</name>
    <message>
        <source>Tür öffnen,Beleuchtung ein</source>
        <translation>Open door,Light on</translation>
    </message>
    <message>
        <source>Die Einstellungsdatei &quot;%1&quot; kann nicht gelesen werden (%2); es gilt das Standardmodul, und die Datei wird nicht überschrieben.</source>
        <translation>The settings file &quot;%1&quot; cannot be read (%2); the standard module is used, and the file is not overwritten.</translation>
    </message>
    <message>
        <source>Abschnitt [%1] nicht geladen: %2. Er bleibt unverändert in der Datei.</source>
        <translation>Section [%1] not loaded: %2. It stays unchanged in the file.</translation>
    </message>
    <message>
        <source>kein bekannter Schlüssel</source>
        <translation>no known key</translation>
    </message>
</context>
<context>
    <name>manualRecorder</name>
    <message>
        <source>Datei oder Ordner nicht mehr vorhanden</source>
        <translation>File or folder no longer there</translation>
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
    <message>
        <source>Die Einstellungsdatei &quot;%1&quot; kann nicht gelesen werden.
Der Viewer arbeitet mit dem Standardmodul und überschreibt die Datei nicht.</source>
        <translation>The settings file &quot;%1&quot; cannot be read.
The viewer works with the standard module and does not overwrite the file.</translation>
    </message>
    <message>
        <source>Bild gespeichert: %1</source>
        <translation>Picture saved: %1</translation>
    </message>
    <message>
        <source>&amp;Verlauf</source>
        <translation>&amp;History</translation>
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
    <message>
        <source>Das Programm bleibt aktiv und meldet weiter jeden Ruf. Zum Anzeigen starten 
Sie es erneut aus dem Menü, zum Verlassen wählen Sie dort &lt;Beenden&gt;.</source>
        <translation>The program stays active and goes on reporting every call. To show it, 
start it again from the menu; to leave it, choose &lt;Quit&gt; there.</translation>
    </message>
</context>
<context>
    <name>pageRules</name>
    <message>
        <source>&quot;%1&quot; darf nicht leer sein.</source>
        <translation>&quot;%1&quot; must not be empty.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; darf keines der Zeichen [ ] = / \ und keine Steuerzeichen enthalten.</source>
        <translation>&quot;%1&quot; must not contain any of the characters [ ] = / \ nor control characters.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; darf keine Steuerzeichen (z. B. Zeilenumbrüche) enthalten.</source>
        <translation>&quot;%1&quot; must not contain control characters (such as line breaks).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; darf nur Buchstaben ohne Umlaute, Ziffern, Leerzeichen und die Zeichen !&quot;#$%&amp;&apos;()*+,-./:;&lt;=&gt;?@[\]^_`{|} enthalten.</source>
        <translation>&quot;%1&quot; may only contain letters without accents, digits, blanks and the characters !&quot;#$%&amp;&apos;()*+,-./:;&lt;=&gt;?@[\]^_`{|}.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;%2&quot; ist keine gültige IPv4-Adresse. Die bisherige Adresse bleibt erhalten.</source>
        <translation>&quot;%1&quot;: &quot;%2&quot; is not a valid IPv4 address. The previous address is kept.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: %2 liegt nicht zwischen %3 und %4, verwendet wird %5.</source>
        <translation>&quot;%1&quot;: %2 is not between %3 and %4, %5 is used.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; enthält Zeichen, die die Einstellungsdatei nicht speichern kann (&quot;%2&quot;). Bitte nur Buchstaben, Ziffern und Zeichen der westeuropäischen Tastatur verwenden.</source>
        <translation>&quot;%1&quot; contains characters the settings file cannot hold (&quot;%2&quot;). Please use only letters, digits and characters of a Western European keyboard.</translation>
    </message>
    <message>
        <source>Werte außerhalb ihres Bereichs wurden ersetzt:</source>
        <translation>Values outside their range were replaced:</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;%2&quot; ist weder eine IPv4-Adresse noch eine URL (http://, https://, rtsp:// oder rtsps://). Die bisherige Adresse bleibt erhalten.</source>
        <translation>&quot;%1&quot;: &quot;%2&quot; is neither an IPv4 address nor a URL (http://, https://, rtsp:// or rtsps://). The previous address is kept.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: URLs mit &quot;%2://&quot; kann der Viewer nicht lesen, nur http://, https://, rtsp:// und rtsps://. Die bisherige Adresse bleibt erhalten.</source>
        <translation>&quot;%1&quot;: the viewer cannot read URLs starting with &quot;%2://&quot;, only http://, https://, rtsp:// and rtsps://. The previous address is kept.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;%2&quot; ist keine gültige URL (Leerzeichen, Steuerzeichen oder ein Port über 65535?). Die bisherige Adresse bleibt erhalten.</source>
        <translation>&quot;%1&quot;: &quot;%2&quot; is not a valid URL (blanks, control characters or a port above 65535?). The previous address is kept.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: In &quot;%2&quot; fehlt nach &quot;://&quot; der Rechner (Adresse oder Name). Die bisherige Adresse bleibt erhalten.</source>
        <translation>&quot;%1&quot;: &quot;%2&quot; names no host (address or name) after &quot;://&quot;. The previous address is kept.</translation>
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
    <message>
        <source>Die Eingaben für das Viewer-Passwort verwerfen und das Passwort für Einstellungen ändern?</source>
        <translation>Discard what was typed for the viewer password and change the settings password?</translation>
    </message>
    <message>
        <source>Die Eingaben für das Passwort für Einstellungen verwerfen und das Viewer-Passwort ändern?</source>
        <translation>Discard what was typed for the settings password and change the viewer password?</translation>
    </message>
</context>
<context>
    <name>picturePrinter</name>
    <message>
        <source>Das Bild ist fehlerhaft und kann nicht gedruckt werden.</source>
        <translation>The picture is damaged and cannot be printed.</translation>
    </message>
    <message>
        <source>Der Drucker hat den Auftrag nicht angenommen.</source>
        <translation>The printer did not accept the job.</translation>
    </message>
</context>
<context>
    <name>popupOneWin</name>
    <message>
        <source>!BILD Fehler! : </source>
        <translation>!PICTURE ERROR! : </translation>
    </message>
</context>
<context>
    <name>recordingPlayback</name>
    <message>
        <source>Die Kamera wurde zu der Zeit nicht automatisch aufgezeichnet.</source>
        <translation>The camera was not recorded automatically at that time.</translation>
    </message>
    <message>
        <source>Der Aufnahmeordner &quot;%1&quot; fehlt.</source>
        <translation>The recording folder &quot;%1&quot; is missing.</translation>
    </message>
    <message>
        <source>Im Aufnahmeordner &quot;%1&quot; liegt keine Aufnahme dieser Kamera.</source>
        <translation>The recording folder &quot;%1&quot; holds no recording of this camera.</translation>
    </message>
    <message>
        <source>Keine Aufnahme um %1.</source>
        <translation>No recording at %1.</translation>
    </message>
    <message>
        <source>Die Aufnahme &quot;%1&quot; lässt sich nicht lesen.</source>
        <translation>The recording &quot;%1&quot; cannot be read.</translation>
    </message>
</context>
<context>
    <name>recordingPlayer</name>
    <message>
        <source>Aufnahme</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>&lt; Bild zurück</source>
        <translation>&lt; Picture back</translation>
    </message>
    <message>
        <source>Abspielen</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Bild vor &gt;</source>
        <translation>Picture on &gt;</translation>
    </message>
    <message>
        <source>Schließen</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Die Aufnahme wird geöffnet ...</source>
        <translation>Opening the recording ...</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
</context>
<context>
    <name>saveAVI</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Aufnahme starten
Aufnahme fortsetzen</source>
        <translation>Start recording
Continue recording</translation>
    </message>
    <message>
        <source>Aufnahme unterbrechen</source>
        <translation>Pause recording</translation>
    </message>
    <message>
        <source>Aufnahme beenden
Dialog verlassen</source>
        <translation>Stop recording
Leave dialog</translation>
    </message>
    <message>
        <source> Fehler beim File anlegen !! </source>
        <translation> Error creating the file !! </translation>
    </message>
    <message>
        <source>Fehler beim File öffnen !! </source>
        <translation>Error opening the file !! </translation>
    </message>
    <message>
        <source>Fehler beim File schreiben !! </source>
        <translation>Error writing the file !! </translation>
    </message>
    <message>
        <source>Die Videoaufnahme ist beendet: die automatische Aufzeichnung dieser Kamera wurde eingeschaltet und nimmt ihre Bilder auf.</source>
        <translation>The video recording has ended: automatic recording was switched on for this camera and records its pictures.</translation>
    </message>
    <message>
        <source>Laufzeit: </source>
        <translation>Running time: </translation>
    </message>
    <message>
        <source> Sekunden</source>
        <translation> seconds</translation>
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
        <source>Zustand</source>
        <translation>State</translation>
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
        <source>verbunden (%1)</source>
        <translation>connected (%1)</translation>
    </message>
    <message>
        <source>kein</source>
        <translation>none</translation>
    </message>
    <message>
        <source>Türausgang der ersten Kamera: %1; Zeit seit dem letzten Ereignis: %2 s</source>
        <translation>Door output of the first camera: %1; time since the last event: %2 s</translation>
    </message>
</context>
<context>
    <name>settingsModel</name>
    <message>
        <source>mehr als %1 Module</source>
        <translation>more than %1 modules</translation>
    </message>
    <message>
        <source>folgt auf den unvollständigen Abschnitt [%1]</source>
        <translation>follows the incomplete section [%1]</translation>
    </message>
    <message>
        <source>Modul nicht angelegt</source>
        <translation>module not set up</translation>
    </message>
    <message>
        <source>%1 fehlt</source>
        <translation>%1 is missing</translation>
    </message>
</context>
<context>
    <name>settingsService</name>
    <message>
        <source>Das Standard-Modul konnte nicht angelegt werden.
Ein Modul mit gleichem Namen existiert bereits.</source>
        <translation>The standard module could not be created.
A module with the same name already exists.</translation>
    </message>
    <message>
        <source>Es können höchstens %1 Module angelegt werden.</source>
        <translation>At most %1 modules can be set up.</translation>
    </message>
    <message>
        <source>Das Modul konnte nicht umbenannt werden.
Ein Modul mit gleichem Namen existiert bereits.</source>
        <translation>The module could not be renamed.
A module with the same name already exists.</translation>
    </message>
    <message>
        <source>Die Einstellungen konnten nicht in die Datei
&quot;%1&quot;
geschrieben werden.</source>
        <translation>The settings could not be written to the file
&quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>sipPage</name>
    <message>
        <source>SIP-Modul</source>
        <translation>SIP module</translation>
    </message>
    <message>
        <source>Modul-Name</source>
        <translation>Module name</translation>
    </message>
    <message>
        <source>Benutzername</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>IP-Adresse</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>Statusport (Senden)</source>
        <translation>Status port (sending)</translation>
    </message>
    <message>
        <source>Authentifizierungscode</source>
        <translation>Authentication code</translation>
    </message>
    <message>
        <source>Fernsteuerport (Empfangen)</source>
        <translation>Remote control port (receiving)</translation>
    </message>
    <message>
        <source>PopUp bei Zielrufnummer</source>
        <translation>Pop-up for callee numbers</translation>
    </message>
    <message>
        <source>PopUp bei allen Zielrufnummern</source>
        <translation>Pop-up for all callee numbers</translation>
    </message>
    <message>
        <source>PopUp durch SIP-Modul</source>
        <translation>Pop-up by the SIP module</translation>
    </message>
    <message>
        <source>Sprechstelle ruft an</source>
        <translation>Door station calls</translation>
    </message>
    <message>
        <source>Sprechstelle wird gerufen</source>
        <translation>Door station is being called</translation>
    </message>
    <message>
        <source>Gesprächszustand</source>
        <translation>Call in progress</translation>
    </message>
    <message>
        <source>Steuer-Parameter</source>
        <translation>Control parameters</translation>
    </message>
    <message>
        <source>Relais 1 (Tür)</source>
        <translation>Relay 1 (door)</translation>
    </message>
    <message>
        <source>kein</source>
        <translation>none</translation>
    </message>
    <message>
        <source>Türöffner Relais</source>
        <translation>Door opener relay</translation>
    </message>
    <message>
        <source>Licht Relais</source>
        <translation>Light relay</translation>
    </message>
    <message>
        <source>IO.1</source>
        <translation>IO.1</translation>
    </message>
    <message>
        <source>IO.2</source>
        <translation>IO.2</translation>
    </message>
    <message>
        <source>Dauer</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Sek.</source>
        <translation>s</translation>
    </message>
    <message>
        <source>Relais 2 (Licht)</source>
        <translation>Relay 2 (light)</translation>
    </message>
    <message>
        <source>HSM-410 Modul</source>
        <translation>HSM-410 module</translation>
    </message>
</context>
<context>
    <name>spracheDia</name>
    <message>
        <source>Sprache wählen</source>
        <translation>Choose language</translation>
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
<context>
    <name>standardModule</name>
    <message>
        <source>Das Standard-Modul konnte nicht angelegt werden.
Ein Modul mit gleichem Namen existiert bereits.</source>
        <translation>The standard module could not be created.
A module with the same name already exists.</translation>
    </message>
    <message>
        <source>Es können höchstens %1 Module angelegt werden.</source>
        <translation>At most %1 modules can be set up.</translation>
    </message>
</context>
<context>
    <name>streamSummary</name>
    <message>
        <source>Vorschau</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Hauptstrom</source>
        <translation>Main stream</translation>
    </message>
    <message>
        <source>%1: aus</source>
        <translation>%1: off</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: verbindet (%2)</source>
        <translation>%1: connecting (%2)</translation>
    </message>
    <message>
        <source>%1: %2, %3 %4×%5, %6/s</source>
        <translation>%1: %2, %3 %4×%5, %6/s</translation>
    </message>
    <message>
        <source>Umschaltzeit: %1 ms</source>
        <translation>Switch time: %1 ms</translation>
    </message>
</context>
<context>
    <name>systemPage</name>
    <message>
        <source>Allgemeine Einstellungen</source>
        <translation>General settings</translation>
    </message>
    <message>
        <source>Videobild schützen</source>
        <translation>Protect the video picture</translation>
    </message>
    <message>
        <source>Passwort einstellen</source>
        <translation>Set password</translation>
    </message>
    <message>
        <source>Einstellungen schützen</source>
        <translation>Protect the settings</translation>
    </message>
    <message>
        <source>IP-Adresse (eigene)</source>
        <translation>IP address (own)</translation>
    </message>
    <message>
        <source>Fernsteuerung freigeben (UDP-Tx)</source>
        <translation>Enable remote control (UDP-Tx)</translation>
    </message>
    <message>
        <source>Beschriftung Steuertasten:</source>
        <translation>Labels of the control buttons:</translation>
    </message>
    <message>
        <source>Globaler Pfad für Bilder und Videos:</source>
        <translation>Global folder for pictures and videos:</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Globale Freigabe für die manuelle Aufzeichnung von Bild und Video</source>
        <translation>Allow manual recording of pictures and videos globally</translation>
    </message>
    <message>
        <source>Bild speichern bei PopUp durch IO-Interface der Kamera</source>
        <translation>Save a picture on a pop-up by the camera&apos;s IO interface</translation>
    </message>
    <message>
        <source>Globale Freigabe der automatischen Aufnahme</source>
        <translation>Allow automatic recording globally</translation>
    </message>
    <message>
        <source>Audio-Effekte</source>
        <translation>Audio effects</translation>
    </message>
    <message>
        <source>Log-Datei aktiv</source>
        <translation>Log file active</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Verzeichnis auswählen ...</source>
        <translation>Choose a folder ...</translation>
    </message>
    <message>
        <source>Datei auswählen ...</source>
        <translation>Choose a file ...</translation>
    </message>
    <message>
        <source>Beim Anmelden starten</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>Der Eintrag für den Start beim Anmelden konnte nicht geschrieben werden:
%1</source>
        <translation>The entry that starts the viewer at login could not be written:
%1</translation>
    </message>
    <message>
        <source>Der Eintrag für den Start beim Anmelden konnte nicht entfernt werden:
%1</source>
        <translation>The entry that starts the viewer at login could not be removed:
%1</translation>
    </message>
    <message>
        <source>Benachrichtigung bei Ruf</source>
        <translation>Notify on calls</translation>
    </message>
    <message>
        <source>Speichern, Drucken und Video auf dem Bedienfeld</source>
        <translation>Save, print and video on the command panel</translation>
    </message>
    <message>
        <source>Verlauf der Rufe</source>
        <translation>Call history</translation>
    </message>
    <message>
        <source>Aufbewahren (Tage):</source>
        <translation>Keep (days):</translation>
    </message>
    <message>
        <source>Bilder höchstens (MiB):</source>
        <translation>Pictures at most (MiB):</translation>
    </message>
</context>
<context>
    <name>tileText</name>
    <message>
        <source>Nicht verbunden</source>
        <translation>Not connected</translation>
    </message>
</context>
<context>
    <name>videoPage</name>
    <message>
        <source>Fenster</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>Position (X,Y)</source>
        <translation>Position (X,Y)</translation>
    </message>
    <message>
        <source>Größe (Breite,Höhe)</source>
        <translation>Size (width,height)</translation>
    </message>
    <message>
        <source>Bildrahmen Ein</source>
        <translation>Picture frame on</translation>
    </message>
    <message>
        <source>Schriftgröße</source>
        <translation>Font size</translation>
    </message>
    <message>
        <source>klein</source>
        <translation>small</translation>
    </message>
    <message>
        <source>mittel</source>
        <translation>medium</translation>
    </message>
    <message>
        <source>groß</source>
        <translation>large</translation>
    </message>
    <message>
        <source>Close Button Ein</source>
        <translation>Close button on</translation>
    </message>
    <message>
        <source>Stop Kamera im passive Zustand</source>
        <translation>Stop cameras while passive</translation>
    </message>
    <message>
        <source>Status Unten Ein</source>
        <translation>Status at the bottom</translation>
    </message>
    <message>
        <source>Funktionsleiste</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>PopUp</source>
        <translation>Pop-up</translation>
    </message>
    <message>
        <source>Auto-PopUp aktivieren</source>
        <translation>Enable auto pop-up</translation>
    </message>
    <message>
        <source>Alle</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Auto-Minimieren</source>
        <translation>Auto minimise</translation>
    </message>
    <message>
        <source>nach</source>
        <translation>after</translation>
    </message>
    <message>
        <source>Sekunden</source>
        <translation>seconds</translation>
    </message>
    <message>
        <source>DX-CAM IO</source>
        <translation>DX-CAM IO</translation>
    </message>
    <message>
        <source>PopUp als Einzelbild im Einzelfenster</source>
        <translation>Pop-up as a single picture in a single window</translation>
    </message>
    <message>
        <source>Multi-PopUp als Einzelbild im Einzelfenster</source>
        <translation>Multi pop-up as single pictures in a separate window</translation>
    </message>
    <message>
        <source>Videobild-Größe anpassen</source>
        <translation>Fit the video picture size</translation>
    </message>
    <message>
        <source>Frei</source>
        <translation>Free</translation>
    </message>
    <message>
        <source>Breite</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>Höhe</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>Reihe(n)</source>
        <translation>Row(s)</translation>
    </message>
    <message>
        <source>Spalte(n)</source>
        <translation>Column(s)</translation>
    </message>
    <message>
        <source>Statistik</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>Videobilder ein</source>
        <translation>Video pictures on</translation>
    </message>
    <message>
        <source>Reihenfolge festlegen</source>
        <translation>Set the order</translation>
    </message>
    <message>
        <source>Hoch</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>ABC..</source>
        <translation>ABC..</translation>
    </message>
    <message>
        <source>Runter</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>Videostream-Einzelanzeige</source>
        <translation>Single video stream display</translation>
    </message>
    <message>
        <source>Pos.</source>
        <translation>Pos.</translation>
    </message>
    <message>
        <source>Kamera</source>
        <translation>Camera</translation>
    </message>
    <message>
        <source>Sprechstelle</source>
        <translation>Door station</translation>
    </message>
    <message>
        <source>Das Raster zeigt %1 von %2 Modulen, nicht zu sehen: %3. Bitte Reihen oder Spalten erhöhen.</source>
        <translation>The grid shows %1 of %2 modules, not to be seen: %3. Please raise the rows or columns.</translation>
    </message>
</context>
<context>
    <name>zertDia</name>
    <message>
        <source>Zertifikat prüfen</source>
        <translation>Check certificate</translation>
    </message>
    <message>
        <source>Die Kamera zeigt ein Zertifikat, das nicht überprüft werden kann</source>
        <translation>The camera presents a certificate that cannot be verified</translation>
    </message>
    <message>
        <source>Kamera:</source>
        <translation>Camera:</translation>
    </message>
    <message>
        <source>Ausgestellt für:</source>
        <translation>Issued to:</translation>
    </message>
    <message>
        <source>Gültig:</source>
        <translation>Valid:</translation>
    </message>
    <message>
        <source>Fingerabdruck (SHA-256):</source>
        <translation>Fingerprint (SHA-256):</translation>
    </message>
    <message>
        <source>Nicht überprüft, weil:</source>
        <translation>Not verified because:</translation>
    </message>
    <message>
        <source>Vertrauen Sie ihm nur, wenn der Fingerabdruck mit dem übereinstimmt, den die Kamera selbst anzeigt. Danach wird nur noch genau dieses Zertifikat für diese Kamera angenommen.</source>
        <translation>Trust it only if the fingerprint matches the one the camera itself shows. From then on only exactly this certificate is accepted for this camera.</translation>
    </message>
    <message>
        <source>Vertrauen</source>
        <translation>Trust</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 at %2</translation>
    </message>
    <message>
        <source>%1 bis %2</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>Selbst ausgestellt, von keiner bekannten Stelle bestätigt</source>
        <translation>Self-signed, not confirmed by any known authority</translation>
    </message>
    <message>
        <source>Von einer unbekannten Stelle ausgestellt</source>
        <translation>Issued by an unknown authority</translation>
    </message>
    <message>
        <source>Abgelaufen</source>
        <translation>Expired</translation>
    </message>
    <message>
        <source>Noch nicht gültig</source>
        <translation>Not yet valid</translation>
    </message>
    <message>
        <source>Ausgestellt für einen anderen Namen als die Adresse der Kamera</source>
        <translation>Issued to another name than the camera&apos;s address</translation>
    </message>
</context>
</TS>
