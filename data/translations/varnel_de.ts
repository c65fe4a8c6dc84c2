<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>main</name>
    <message>
        <source>Varnel Video Converter is already open on this display, but it did not answer in time. It may still add the files; if they do not appear, add them there.</source>
        <translation>Varnel Video Converter ist auf dieser Anzeige bereits geöffnet, hat aber nicht rechtzeitig geantwortet. Es kann die Dateien noch hinzufügen; erscheinen sie nicht, fügen Sie sie dort hinzu.</translation>
    </message>
</context>
<context>
    <name>varnel::AboutDialog</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>This product includes software developed by the MPlayer Project.</source>
        <translation>Dieses Produkt enthält Software, die vom MPlayer-Projekt entwickelt wurde.</translation>
    </message>
    <message>
        <source>This product includes software developed by the FFMpeg Project.</source>
        <translation>Dieses Produkt enthält Software, die vom FFMpeg-Projekt entwickelt wurde.</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Convert your videos for every device you own.</source>
        <translation>Wandeln Sie Ihre Videos für jedes Ihrer Geräte um.</translation>
    </message>
</context>
<context>
    <name>varnel::CaptureRecorder</name>
    <message>
        <source>the input has no video</source>
        <translation>die Quelle liefert kein Video</translation>
    </message>
    <message>
        <source>cannot write in %1: %2</source>
        <translation>in %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>cannot start the recorder</source>
        <translation>die Aufnahme kann nicht gestartet werden</translation>
    </message>
    <message>
        <source>the recorder stopped abnormally</source>
        <translation>die Aufnahme brach unerwartet ab</translation>
    </message>
    <message>
        <source>the input ended</source>
        <translation>die Quelle endete</translation>
    </message>
    <message>
        <source>the recording ended (exit code %1)</source>
        <translation>die Aufnahme endete (Rückgabewert %1)</translation>
    </message>
    <message>
        <source>nothing was recorded: no frame came from the input</source>
        <translation>nichts aufgenommen: von der Quelle kam kein Bild</translation>
    </message>
    <message>
        <source>nothing was recorded: the file holds no picture</source>
        <translation>nichts aufgenommen: die Datei enthält kein Bild</translation>
    </message>
    <message>
        <source>; the recording is kept there, and a later start that records into this folder puts it in place</source>
        <translation>; die Aufnahme bleibt dort erhalten, und eine spätere Aufnahme in diesen Ordner legt sie an ihren Platz</translation>
    </message>
    <message>
        <source>the recording did not end well (exit code %1); what came is in %2</source>
        <translation>die Aufnahme endete nicht sauber (Rückgabewert %1); was ankam, liegt in %2</translation>
    </message>
</context>
<context>
    <name>varnel::CaptureSession</name>
    <message>
        <source>%1 frames (%2 dropped) - %3 sec.</source>
        <translation>%1 Bilder (%2 verworfen) - %3 Sek.</translation>
    </message>
    <message>
        <source> - saved as </source>
        <translation> - gespeichert als </translation>
    </message>
</context>
<context>
    <name>varnel::CaptureWindow</name>
    <message>
        <source>No camera found</source>
        <translation>Keine Kamera gefunden</translation>
    </message>
    <message>
        <source>Capture Video From DV</source>
        <translation>Video von DV aufnehmen</translation>
    </message>
    <message>
        <source>Save Video File</source>
        <translation>Videodatei speichern</translation>
    </message>
    <message>
        <source>Avi Video file (*.avi)</source>
        <translation>AVI-Videodatei (*.avi)</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>Start capture</source>
        <translation>Aufnahme starten</translation>
    </message>
    <message>
        <source>Stop capture</source>
        <translation>Aufnahme beenden</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Camera Control</source>
        <translation>Kamerasteuerung</translation>
    </message>
    <message>
        <source>Pan:</source>
        <translation>Schwenken:</translation>
    </message>
    <message>
        <source>Tilt:</source>
        <translation>Neigen:</translation>
    </message>
    <message>
        <source>Roll:</source>
        <translation>Drehen:</translation>
    </message>
    <message>
        <source>Zoom:</source>
        <translation>Zoom:</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Capture File:</source>
        <translation>Aufnahmedatei:</translation>
    </message>
    <message>
        <source>Capture Time:</source>
        <translation>Aufnahmezeit:</translation>
    </message>
</context>
<context>
    <name>varnel::ClipEditor</name>
    <message>
        <source>Start Time and End Time</source>
        <translation>Startzeit und Endzeit</translation>
    </message>
    <message>
        <source>Start Time:</source>
        <translation>Startzeit:</translation>
    </message>
    <message>
        <source>End Time:</source>
        <translation>Endzeit:</translation>
    </message>
    <message>
        <source>Clip Time</source>
        <translation>Dauer des Ausschnitts</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Clip Time  -  </source>
        <translation>Ausschnitt  -  </translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Startzeit</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>Endzeit</translation>
    </message>
    <message>
        <source>The file has left the list meanwhile, so its clip times were not kept.</source>
        <translation>Die Datei ist inzwischen aus der Liste entfernt worden; ihre Zeiten des Ausschnitts wurden daher nicht übernommen.</translation>
    </message>
</context>
<context>
    <name>varnel::ClipTimes</name>
    <message>
        <source>Start time or End time is error.</source>
        <translation>Startzeit oder Endzeit ist fehlerhaft.</translation>
    </message>
</context>
<context>
    <name>varnel::ConversionRun</name>
    <message>
        <source>%1 of %2 files failed</source>
        <translation>%1 von %2 Dateien fehlgeschlagen</translation>
    </message>
    <message>
        <source>the output folder %1 does not exist and cannot be created</source>
        <translation>der Ausgabeordner %1 existiert nicht und kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>cannot create a file in %1: %2</source>
        <translation>in %1 kann keine Datei angelegt werden: %2</translation>
    </message>
    <message>
        <source>there is no such file</source>
        <translation>diese Datei gibt es nicht</translation>
    </message>
    <message>
        <source> To </source>
        <translation> nach </translation>
    </message>
    <message>
        <source>cannot start %1/fp.dll</source>
        <translation>%1/fp.dll kann nicht gestartet werden</translation>
    </message>
</context>
<context>
    <name>varnel::DesktopSignals</name>
    <message>
        <source>converted</source>
        <translation>umgewandelt</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>0 converted</source>
        <translation>0 umgewandelt</translation>
    </message>
</context>
<context>
    <name>varnel::DownloadJob</name>
    <message>
        <source>no link for this format</source>
        <translation>kein Link für dieses Format</translation>
    </message>
    <message>
        <source>yt-dlp is not installed</source>
        <translation>yt-dlp ist nicht installiert</translation>
    </message>
    <message>
        <source>cannot write in %1: %2</source>
        <translation>in %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>cannot start yt-dlp</source>
        <translation>yt-dlp kann nicht gestartet werden</translation>
    </message>
    <message>
        <source>cannot place %1: %2</source>
        <translation>%1 kann nicht abgelegt werden: %2</translation>
    </message>
    <message>
        <source>yt-dlp saved nothing</source>
        <translation>yt-dlp hat nichts gespeichert</translation>
    </message>
    <message>
        <source>yt-dlp ended with exit code %1</source>
        <translation>yt-dlp endete mit Rückgabewert %1</translation>
    </message>
</context>
<context>
    <name>varnel::DownloaderWindow</name>
    <message>
        <source>Enter YouTube video URL</source>
        <translation>YouTube-Videoadresse eingeben</translation>
    </message>
    <message>
        <source>Get Direct Link</source>
        <translation>Direkten Link holen</translation>
    </message>
    <message>
        <source>Status  </source>
        <translation>Status  </translation>
    </message>
    <message>
        <source>Category:</source>
        <translation>Kategorie:</translation>
    </message>
    <message>
        <source>Author:</source>
        <translation>Autor:</translation>
    </message>
    <message>
        <source>Length:</source>
        <translation>Länge:</translation>
    </message>
    <message>
        <source>Published:</source>
        <translation>Veröffentlicht:</translation>
    </message>
    <message>
        <source>Rating</source>
        <translation>Bewertung</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>YouTube Preview</source>
        <translation>YouTube-Vorschau</translation>
    </message>
    <message>
        <source>Click and wait for video to Load...</source>
        <translation>Klicken und warten, bis das Video geladen ist...</translation>
    </message>
    <message>
        <source> Sec.</source>
        <translation> Sek.</translation>
    </message>
    <message>
        <source>Preview of </source>
        <translation>Vorschau von </translation>
    </message>
</context>
<context>
    <name>varnel::EncoderCommand</name>
    <message>
        <source>no option row %1/%2</source>
        <translation>keine Optionszeile %1/%2</translation>
    </message>
    <message>
        <source>%1 %2 is out of the accepted range, -32768 to 32767</source>
        <translation>%1 %2 liegt außerhalb des zulässigen Bereichs von -32768 bis 32767</translation>
    </message>
    <message>
        <source>%1 is not a number: %2</source>
        <translation>%1 ist keine Zahl: %2</translation>
    </message>
    <message>
        <source>not a time: %1</source>
        <translation>keine Zeitangabe: %1</translation>
    </message>
    <message>
        <source>no option sheet</source>
        <translation>keine Optionstabelle</translation>
    </message>
    <message>
        <source>no profile chosen</source>
        <translation>kein Profil gewählt</translation>
    </message>
    <message>
        <source>this file holds sound and a cover picture, and the sound is disabled: there is no video to make</source>
        <translation>diese Datei enthält Ton und ein Titelbild, und der Ton ist abgeschaltet: es gibt kein Video zu erstellen</translation>
    </message>
</context>
<context>
    <name>varnel::EncoderList</name>
    <message>
        <source>the installed ffmpeg has no %1 encoder</source>
        <translation>das installierte ffmpeg hat keinen Encoder %1</translation>
    </message>
</context>
<context>
    <name>varnel::FileSelection</name>
    <message>
        <source>All supported media files</source>
        <translation>Alle unterstützten Mediendateien</translation>
    </message>
    <message>
        <source>Windows Media files (*.avi;*.wmv;*.wma;*.asf;*.ms-dvr;*.dvr-ms)</source>
        <translation>Windows-Media-Dateien (*.avi;*.wmv;*.wma;*.asf;*.ms-dvr;*.dvr-ms)</translation>
    </message>
    <message>
        <source>Mov/MP4 Files (*.mov;*.mp4;*.3gp;*.3g2;*.m4v;*.qt;*.3gp2;*.3gpp;*.mpeg4)</source>
        <translation>Mov/MP4-Dateien (*.mov;*.mp4;*.3gp;*.3g2;*.m4v;*.qt;*.3gp2;*.3gpp;*.mpeg4)</translation>
    </message>
    <message>
        <source>Real Media Files (*.rm;*.rmvb;*.rv)</source>
        <translation>Real-Media-Dateien (*.rm;*.rmvb;*.rv)</translation>
    </message>
    <message>
        <source>Flash Video files (*.flv;*.f4v)</source>
        <translation>Flash-Video-Dateien (*.flv;*.f4v)</translation>
    </message>
    <message>
        <source>Matroska Video files (*.mkv)</source>
        <translation>Matroska-Videodateien (*.mkv)</translation>
    </message>
    <message>
        <source>AviSynth Scripts (*.avs)</source>
        <translation>AviSynth-Skripte (*.avs)</translation>
    </message>
    <message>
        <source>Sony High Definition Video File (*.m2ts;*.mts;*.tod)</source>
        <translation>Sony-HD-Videodatei (*.m2ts;*.mts;*.tod)</translation>
    </message>
    <message>
        <source>MPEG-1 Video File (*.m1v;*.mpe;*.mpg;*.mpeg;*.mpv;*.dat;*.mpeg1)</source>
        <translation>MPEG-1-Videodatei (*.m1v;*.mpe;*.mpg;*.mpeg;*.mpv;*.dat;*.mpeg1)</translation>
    </message>
    <message>
        <source>MPEG-2 Video File (*.m2v;*.mpe;*.mpg;*.mpeg;*.mpv;*.vob;*.mpeg2;*.m2p;*.mod)</source>
        <translation>MPEG-2-Videodatei (*.m2v;*.mpe;*.mpg;*.mpeg;*.mpv;*.vob;*.mpeg2;*.m2p;*.mod)</translation>
    </message>
    <message>
        <source>MPEG Transport Stream Files (*.ts;*.tp;*.m2t)</source>
        <translation>MPEG-Transportstream-Dateien (*.ts;*.tp;*.m2t)</translation>
    </message>
    <message>
        <source>Divx Video File (*.divx)</source>
        <translation>DivX-Videodatei (*.divx)</translation>
    </message>
    <message>
        <source>Ogg Media File (*.ogm;*.ogv;*.ogg)</source>
        <translation>Ogg-Mediendatei (*.ogm;*.ogv;*.ogg)</translation>
    </message>
    <message>
        <source>DVD-VR Video File(*.vro)</source>
        <translation>DVD-VR-Videodatei(*.vro)</translation>
    </message>
    <message>
        <source>Nullsoft Stream Video Files (*.nsv)</source>
        <translation>Nullsoft-Streaming-Videodateien (*.nsv)</translation>
    </message>
    <message>
        <source>Other Video File(*.dr;*.amv)</source>
        <translation>Andere Videodatei(*.dr;*.amv)</translation>
    </message>
    <message>
        <source>All files (*.*)</source>
        <translation>Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Open Video File</source>
        <translation>Videodatei öffnen</translation>
    </message>
</context>
<context>
    <name>varnel::HttpTransfer</name>
    <message>
        <source>Looking up IP address</source>
        <translation>IP-Adresse wird gesucht</translation>
    </message>
    <message>
        <source>IP address found</source>
        <translation>IP-Adresse gefunden</translation>
    </message>
    <message>
        <source>Connecting Host</source>
        <translation>Verbindung zum Server wird aufgebaut</translation>
    </message>
    <message>
        <source>Connected.</source>
        <translation>Verbunden.</translation>
    </message>
    <message>
        <source>Making Request...</source>
        <translation>Anfrage wird erstellt...</translation>
    </message>
    <message>
        <source>Request sent.</source>
        <translation>Anfrage gesendet.</translation>
    </message>
    <message>
        <source>Receiving Response..</source>
        <translation>Antwort wird empfangen..</translation>
    </message>
    <message>
        <source>Response received.</source>
        <translation>Antwort empfangen.</translation>
    </message>
    <message>
        <source>Disconnecting...</source>
        <translation>Verbindung wird getrennt...</translation>
    </message>
    <message>
        <source>Disconnected.</source>
        <translation>Getrennt.</translation>
    </message>
    <message>
        <source>the %1 did not arrive within %2 s</source>
        <translation>die Übertragung (%1) kam nicht innerhalb von %2 s an</translation>
    </message>
    <message>
        <source>page</source>
        <translation>Seite</translation>
    </message>
    <message>
        <source>thumbnail</source>
        <translation>Vorschaubild</translation>
    </message>
    <message>
        <source>not a web address: %1</source>
        <translation>keine Webadresse: %1</translation>
    </message>
    <message>
        <source>the server answered %1 %2</source>
        <translation>der Server antwortete %1 %2</translation>
    </message>
    <message>
        <source>the server gave a length that is no number</source>
        <translation>der Server nannte eine Länge, die keine Zahl ist</translation>
    </message>
    <message>
        <source>the server gave two lengths</source>
        <translation>der Server nannte zwei Längen</translation>
    </message>
    <message>
        <source>the server gave a length below nothing</source>
        <translation>der Server nannte eine Länge unter null</translation>
    </message>
    <message>
        <source>the server sent the file packed (%1), not as it is</source>
        <translation>der Server schickte die Datei gepackt (%1), nicht wie sie ist</translation>
    </message>
    <message>
        <source>the server sent more than the %1 bytes it said</source>
        <translation>der Server schickte mehr als die angekündigten %1 Bytes</translation>
    </message>
    <message>
        <source>the transfer ended after %1 of %2 bytes</source>
        <translation>die Übertragung endete nach %1 von %2 Bytes</translation>
    </message>
    <message>
        <source>Error %1 %2</source>
        <translation>Fehler %1 %2</translation>
    </message>
    <message>
        <source>no answer within %1 s: %2</source>
        <translation>keine Antwort innerhalb von %1 s: %2</translation>
    </message>
    <message>
        <source>the server sent an empty file</source>
        <translation>der Server schickte eine leere Datei</translation>
    </message>
    <message>
        <source>the %1 is larger than %2 MiB</source>
        <translation>die Übertragung (%1) ist größer als %2 MiB</translation>
    </message>
</context>
<context>
    <name>varnel::ListStore</name>
    <message>
        <source>not a list of this program</source>
        <translation>keine Liste dieses Programms</translation>
    </message>
    <message>
        <source>its profile is out of range</source>
        <translation>ihr Profil liegt außerhalb des gültigen Bereichs</translation>
    </message>
    <message>
        <source>too many rows</source>
        <translation>zu viele Zeilen</translation>
    </message>
    <message>
        <source>a row is damaged</source>
        <translation>eine Zeile ist beschädigt</translation>
    </message>
    <message>
        <source>a row has no file</source>
        <translation>eine Zeile hat keine Datei</translation>
    </message>
    <message>
        <source>Restore the %1 files of the list from last time?</source>
        <translation>Die %1 Dateien der Liste vom letzten Mal wiederherstellen?</translation>
    </message>
    <message>
        <source>The list from last time could not be read (%1); it was set aside as %2.</source>
        <translation>Die Liste vom letzten Mal konnte nicht gelesen werden (%1); sie wurde als %2 beiseitegelegt.</translation>
    </message>
</context>
<context>
    <name>varnel::MainWindow</name>
    <message>
        <source>Presets (*.json)</source>
        <translation>Vorgaben (*.json)</translation>
    </message>
    <message>
        <source>File(&amp;F)</source>
        <translation>Datei(&amp;D)</translation>
    </message>
    <message>
        <source>Add Files</source>
        <translation>Dateien hinzufügen</translation>
    </message>
    <message>
        <source>Remove Selected File</source>
        <translation>Ausgewählte Datei entfernen</translation>
    </message>
    <message>
        <source>Clear All Files</source>
        <translation>Alle Dateien entfernen</translation>
    </message>
    <message>
        <source>Capture Video From DV</source>
        <translation>Video von DV aufnehmen</translation>
    </message>
    <message>
        <source>Import Video From Youtube</source>
        <translation>Video von YouTube importieren</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Edit(&amp;E)</source>
        <translation>Bearbeiten(&amp;B)</translation>
    </message>
    <message>
        <source>Video Settings</source>
        <translation>Videoeinstellungen</translation>
    </message>
    <message>
        <source>Save as Preset...</source>
        <translation>Als Vorgabe speichern...</translation>
    </message>
    <message>
        <source>Rename Preset...</source>
        <translation>Vorgabe umbenennen...</translation>
    </message>
    <message>
        <source>Delete Preset...</source>
        <translation>Vorgabe löschen...</translation>
    </message>
    <message>
        <source>Export Preset...</source>
        <translation>Vorgabe exportieren...</translation>
    </message>
    <message>
        <source>Import Presets...</source>
        <translation>Vorgaben importieren...</translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation>Nach Aktualisierungen suchen</translation>
    </message>
    <message>
        <source>Action(&amp;A)</source>
        <translation>Aktion(&amp;A)</translation>
    </message>
    <message>
        <source>Convert Now!</source>
        <translation>Jetzt umwandeln!</translation>
    </message>
    <message>
        <source>Play Selected File</source>
        <translation>Ausgewählte Datei abspielen</translation>
    </message>
    <message>
        <source>Video Clip</source>
        <translation>Videoausschnitt</translation>
    </message>
    <message>
        <source>Help(&amp;H)</source>
        <translation>Hilfe(&amp;H)</translation>
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
        <source>Remove Selected Item</source>
        <translation>Ausgewählten Eintrag entfernen</translation>
    </message>
    <message>
        <source>Clear All Items</source>
        <translation>Alle Einträge entfernen</translation>
    </message>
    <message>
        <source>Remove File</source>
        <translation>Datei entfernen</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Alle entfernen</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>EXIT</source>
        <translation>BEENDEN</translation>
    </message>
    <message>
        <source>CONVERT NOW</source>
        <translation>JETZT UMWANDELN</translation>
    </message>
    <message>
        <source>Profile:</source>
        <translation>Profil:</translation>
    </message>
    <message>
        <source>Video List</source>
        <translation>Videoliste</translation>
    </message>
    <message>
        <source>Privew</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>There are no presets yet: choose a profile, set its options, then Save as Preset.</source>
        <translation>Es gibt noch keine Vorgaben: Wählen Sie ein Profil, stellen Sie seine Optionen ein und wählen Sie dann Als Vorgabe speichern.</translation>
    </message>
    <message>
        <source>Choose a profile first: a preset keeps a profile and its options.</source>
        <translation>Wählen Sie zuerst ein Profil: Eine Vorgabe speichert ein Profil und seine Optionen.</translation>
    </message>
    <message>
        <source>Save the options of %1 as the preset:</source>
        <translation>Die Optionen von %1 als folgende Vorgabe speichern:</translation>
    </message>
    <message>
        <source>The preset was not saved: %1.</source>
        <translation>Die Vorgabe wurde nicht gespeichert: %1.</translation>
    </message>
    <message>
        <source>Rename the preset:</source>
        <translation>Diese Vorgabe umbenennen:</translation>
    </message>
    <message>
        <source>New name of the preset %1:</source>
        <translation>Neuer Name der Vorgabe %1:</translation>
    </message>
    <message>
        <source>The preset was not renamed: %1.</source>
        <translation>Die Vorgabe wurde nicht umbenannt: %1.</translation>
    </message>
    <message>
        <source>Delete the preset:</source>
        <translation>Diese Vorgabe löschen:</translation>
    </message>
    <message>
        <source>Delete the preset %1?</source>
        <translation>Die Vorgabe %1 löschen?</translation>
    </message>
    <message>
        <source>The preset was not deleted: %1.</source>
        <translation>Die Vorgabe wurde nicht gelöscht: %1.</translation>
    </message>
    <message>
        <source>Export the preset:</source>
        <translation>Diese Vorgabe exportieren:</translation>
    </message>
    <message>
        <source>The preset was not exported: %1.</source>
        <translation>Die Vorgabe wurde nicht exportiert: %1.</translation>
    </message>
    <message>
        <source>No preset was imported: %1.</source>
        <translation>Es wurde keine Vorgabe importiert: %1.</translation>
    </message>
    <message>
        <source>Imported %1; left out: %2.</source>
        <translation>Importiert: %1; ausgelassen: %2.</translation>
    </message>
    <message>
        <source>nothing</source>
        <translation>nichts</translation>
    </message>
    <message>
        <source>Cleared 1 file from the list.</source>
        <translation>1 Datei aus der Liste entfernt.</translation>
    </message>
    <message>
        <source>Cleared %1 files from the list.</source>
        <translation>%1 Dateien aus der Liste entfernt.</translation>
    </message>
    <message>
        <source>A conversion is running. Cancel it and exit?</source>
        <translation>Eine Umwandlung läuft. Abbrechen und beenden?</translation>
    </message>
    <message>
        <source>This is %1, in %2.
It does not look for updates itself: a copy installed as a package is updated by the system&apos;s package manager, and a copy built from its source by building a newer source.</source>
        <translation>Dies ist %1, in %2.
Es sucht nicht selbst nach Aktualisierungen: Eine als Paket installierte Kopie aktualisiert die Paketverwaltung des Systems, eine aus den Quellen gebaute Kopie der Bau neuerer Quellen.</translation>
    </message>
    <message>
        <source>Undo Clear All Files</source>
        <translation>Entfernen aller Dateien rückgängig machen</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Could not open %1: the folder does not exist.</source>
        <translation>%1 konnte nicht geöffnet werden: Der Ordner existiert nicht.</translation>
    </message>
    <message>
        <source>No program on this desktop opens folders: the converted files are in %1</source>
        <translation>Kein Programm dieser Arbeitsumgebung öffnet Ordner: Die umgewandelten Dateien liegen in %1</translation>
    </message>
    <message>
        <source>You have presets of the names the file has: %1. Replace yours with those of the file?</source>
        <translation>Sie haben bereits Vorgaben mit den Namen aus der Datei: %1. Ihre durch die der Datei ersetzen?</translation>
    </message>
</context>
<context>
    <name>varnel::MediaFacts</name>
    <message>
        <source>FFmpeg&apos;s libraries lack %1</source>
        <translation>den Bibliotheken von FFmpeg fehlt %1</translation>
    </message>
    <message>
        <source>FFmpeg&apos;s libraries cannot be loaded: %1</source>
        <translation>die Bibliotheken von FFmpeg können nicht geladen werden: %1</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>kein Speicher mehr frei</translation>
    </message>
    <message>
        <source>it holds no picture and no sound</source>
        <translation>sie enthält weder Bild noch Ton</translation>
    </message>
</context>
<context>
    <name>varnel::MediaProbe</name>
    <message>
        <source>cannot start %1</source>
        <translation>%1 kann nicht gestartet werden</translation>
    </message>
</context>
<context>
    <name>varnel::OptionSheet</name>
    <message>
        <source>Item Name</source>
        <translation>Name des Eintrags</translation>
    </message>
    <message>
        <source>All Clip Duration</source>
        <translation>Gesamtdauer des Ausschnitts</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Startzeit</translation>
    </message>
    <message>
        <source>Stop Time</source>
        <translation>Endzeit</translation>
    </message>
    <message>
        <source>Video Codec</source>
        <translation>Videocodec</translation>
    </message>
    <message>
        <source>Video Size</source>
        <translation>Videogröße</translation>
    </message>
    <message>
        <source>Video Bitrate</source>
        <translation>Videobitrate</translation>
    </message>
    <message>
        <source>Video Framerate</source>
        <translation>Videobildrate</translation>
    </message>
    <message>
        <source>Aspect Ratio</source>
        <translation>Seitenverhältnis</translation>
    </message>
    <message>
        <source>Audio Codec</source>
        <translation>Audiocodec</translation>
    </message>
    <message>
        <source>Audio Bitrate</source>
        <translation>Audiobitrate</translation>
    </message>
    <message>
        <source>Sample Rate</source>
        <translation>Abtastrate</translation>
    </message>
    <message>
        <source>Audio Channel</source>
        <translation>Audiokanäle</translation>
    </message>
    <message>
        <source>Disable Audio</source>
        <translation>Ton abschalten</translation>
    </message>
    <message>
        <source>A/V Sync</source>
        <translation>A/V-Synchronisation</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Output Duration</source>
        <translation>Ausgabedauer</translation>
    </message>
    <message>
        <source>Video Options</source>
        <translation>Videooptionen</translation>
    </message>
    <message>
        <source>Audio Options</source>
        <translation>Audiooptionen</translation>
    </message>
</context>
<context>
    <name>varnel::OptionSheetView</name>
    <message>
        <source>Option</source>
        <translation>Option</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>varnel::OutputCheck</name>
    <message>
        <source>the length of the source&apos;s %1 cannot be measured: its packets carry no time</source>
        <translation>die Länge der Quelle (%1) lässt sich nicht messen: ihre Pakete tragen keine Zeit</translation>
    </message>
    <message>
        <source>the output has no %1 stream</source>
        <translation>die Ausgabe hat keinen %1-Stream</translation>
    </message>
    <message>
        <source>video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>the output&apos;s %1 lasts %2 of the %3 of the source</source>
        <translation>die Ausgabe (%1) dauert %2 von den %3 der Quelle</translation>
    </message>
    <message>
        <source>the output&apos;s %1 lasts %2, more than the %3 of the clip</source>
        <translation>die Ausgabe (%1) dauert %2, länger als die %3 des Ausschnitts</translation>
    </message>
    <message>
        <source>the output cannot be read: %1</source>
        <translation>die Ausgabe kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>the source could not be read again to check the output: %1</source>
        <translation>die Quelle konnte zur Prüfung der Ausgabe nicht erneut gelesen werden: %1</translation>
    </message>
    <message>
        <source>sound</source>
        <translation>Ton</translation>
    </message>
    <message>
        <source>the clip from %1 is past the end of the source (%2)</source>
        <translation>der Ausschnitt ab %1 liegt hinter dem Ende der Quelle (%2)</translation>
    </message>
</context>
<context>
    <name>varnel::OutputFiles</name>
    <message>
        <source>the output name is too long for this file system</source>
        <translation>der Ausgabename ist für dieses Dateisystem zu lang</translation>
    </message>
</context>
<context>
    <name>varnel::PartialFolder</name>
    <message>
        <source>the folder %1 was replaced while it was made</source>
        <translation>der Ordner %1 wurde beim Anlegen ersetzt</translation>
    </message>
    <message>
        <source>cannot rename %1 to %2: %3</source>
        <translation>%1 kann nicht in %2 umbenannt werden: %3</translation>
    </message>
</context>
<context>
    <name>varnel::PlatformChoice</name>
    <message>
        <source>Playback inside the window needs an X display (XWayland).</source>
        <translation>Die Wiedergabe im Fenster braucht eine X-Anzeige (XWayland).</translation>
    </message>
</context>
<context>
    <name>varnel::PlayerControls</name>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Vor</translation>
    </message>
    <message>
        <source>First Frame</source>
        <translation>Erstes Bild</translation>
    </message>
    <message>
        <source>Last Frames</source>
        <translation>Letzte Bilder</translation>
    </message>
    <message>
        <source>Current Time:</source>
        <translation>Aktuelle Zeit:</translation>
    </message>
    <message>
        <source>Total time: 0:00:00</source>
        <translation>Gesamtzeit: 0:00:00</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
</context>
<context>
    <name>varnel::Presets</name>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine reguläre Datei</translation>
    </message>
    <message>
        <source>it is larger than %1 MiB</source>
        <translation>sie ist größer als %1 MiB</translation>
    </message>
    <message>
        <source>%1: its entry is not a whole number of the catalogue</source>
        <translation>%1: ihr Eintrag ist keine ganze Nummer des Katalogs</translation>
    </message>
    <message>
        <source>%1: %2 is not a text</source>
        <translation>%1: %2 ist kein Text</translation>
    </message>
    <message>
        <source>an entry without a name</source>
        <translation>ein Eintrag ohne Namen</translation>
    </message>
    <message>
        <source>a preset needs a name</source>
        <translation>eine Vorgabe braucht einen Namen</translation>
    </message>
    <message>
        <source>a preset&apos;s name has at most 100 characters</source>
        <translation>der Name einer Vorgabe hat höchstens 100 Zeichen</translation>
    </message>
    <message>
        <source>a preset&apos;s name holds no control, direction or invisible characters</source>
        <translation>der Name einer Vorgabe enthält keine Steuer-, Richtungs- oder unsichtbaren Zeichen</translation>
    </message>
    <message>
        <source>a preset&apos;s name neither starts nor ends with a blank</source>
        <translation>der Name einer Vorgabe beginnt und endet nicht mit einem Leerzeichen</translation>
    </message>
    <message>
        <source>a preset&apos;s name is written in composed form (NFC), so that one name looks like one name</source>
        <translation>der Name einer Vorgabe steht in zusammengesetzter Form (NFC), damit ein Name wie ein Name aussieht</translation>
    </message>
    <message>
        <source>its entry %1 is not in the catalogue</source>
        <translation>ihr Eintrag %1 steht nicht im Katalog</translation>
    </message>
    <message>
        <source>its entry %1 is a category header, not a profile</source>
        <translation>ihr Eintrag %1 ist eine Kategorie, kein Profil</translation>
    </message>
    <message>
        <source>%1 is not a video or audio row of the sheet</source>
        <translation>%1 ist keine Video- oder Audiozeile der Tabelle</translation>
    </message>
    <message>
        <source>%1 %2 is not one of %3&apos;s choices</source>
        <translation>%1 %2 gehört nicht zur Auswahl von %3</translation>
    </message>
    <message>
        <source>it is not JSON: %1 at byte %2</source>
        <translation>es ist kein JSON: %1 bei Byte %2</translation>
    </message>
    <message>
        <source>it is not a file of presets</source>
        <translation>es ist keine Datei mit Vorgaben</translation>
    </message>
    <message>
        <source>it is of another version than 1</source>
        <translation>sie hat eine andere Version als 1</translation>
    </message>
    <message>
        <source>it holds more than %1 presets</source>
        <translation>sie enthält mehr als %1 Vorgaben</translation>
    </message>
    <message>
        <source>%1: a second preset of that name</source>
        <translation>%1: eine zweite Vorgabe dieses Namens</translation>
    </message>
    <message>
        <source>Some presets could not be used (%1); the file as it was is kept as %2</source>
        <translation>Einige Vorgaben konnten nicht verwendet werden (%1); die Datei bleibt unverändert als %2 erhalten</translation>
    </message>
    <message>
        <source>presets.json could not be read (%1); it is kept as %2, and no presets are loaded</source>
        <translation>presets.json konnte nicht gelesen werden (%1); sie bleibt als %2 erhalten, und es werden keine Vorgaben geladen</translation>
    </message>
    <message>
        <source>presets.json could not be read (%1), nor moved aside; no presets are loaded</source>
        <translation>presets.json konnte weder gelesen (%1) noch beiseitegelegt werden; es werden keine Vorgaben geladen</translation>
    </message>
    <message>
        <source>; nothing was changed</source>
        <translation>; es wurde nichts geändert</translation>
    </message>
    <message>
        <source>there are %1 presets already</source>
        <translation>es gibt bereits %1 Vorgaben</translation>
    </message>
    <message>
        <source>there is no preset %1</source>
        <translation>es gibt keine Vorgabe %1</translation>
    </message>
    <message>
        <source>there is a preset %1 already</source>
        <translation>es gibt bereits eine Vorgabe %1</translation>
    </message>
    <message>
        <source>%1 exists already; export into a new file</source>
        <translation>%1 existiert bereits; exportieren Sie in eine neue Datei</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>there is no such file</source>
        <translation>diese Datei gibt es nicht</translation>
    </message>
    <message>
        <source>%1 holds no presets: %2</source>
        <translation>%1 enthält keine Vorgaben: %2</translation>
    </message>
    <message>
        <source>there would be more than %1 presets</source>
        <translation>es wären mehr als %1 Vorgaben</translation>
    </message>
    <message>
        <source>another program keeps presets.json locked and does not let go of it</source>
        <translation>ein anderes Programm hält presets.json gesperrt und gibt die Datei nicht frei</translation>
    </message>
    <message>
        <source>; no presets are loaded</source>
        <translation>; es werden keine Vorgaben geladen</translation>
    </message>
    <message>
        <source>presets of these names are there already: %1; nothing was imported</source>
        <translation>Vorgaben dieser Namen gibt es bereits: %1; es wurde nichts importiert</translation>
    </message>
</context>
<context>
    <name>varnel::PreviewPlayer</name>
    <message>
        <source>Total time:</source>
        <translation>Gesamtzeit:</translation>
    </message>
</context>
<context>
    <name>varnel::PrintableText</name>
    <message>
        <source>and %1 more</source>
        <translation>und %1 weitere</translation>
    </message>
</context>
<context>
    <name>varnel::Process</name>
    <message>
        <source>cannot start %1</source>
        <translation>%1 kann nicht gestartet werden</translation>
    </message>
</context>
<context>
    <name>varnel::ProfileChooser</name>
    <message>
        <source>Choose a profile</source>
        <translation>Profil wählen</translation>
    </message>
    <message>
        <source>My Presets</source>
        <translation>Meine Vorgaben</translation>
    </message>
    <message>
        <source> — unavailable</source>
        <translation> — nicht verfügbar</translation>
    </message>
</context>
<context>
    <name>varnel::ProgressPanel</name>
    <message>
        <source>Currently Conversion</source>
        <translation>Aktuelle Umwandlung</translation>
    </message>
    <message>
        <source>Total Conversion</source>
        <translation>Gesamte Umwandlung</translation>
    </message>
    <message>
        <source>Current video Time:</source>
        <translation>Aktuelle Videozeit:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Progress....</source>
        <translation>Fortschritt....</translation>
    </message>
    <message>
        <source>Time left: %1</source>
        <translation>Verbleibende Zeit: %1</translation>
    </message>
</context>
<context>
    <name>varnel::RecorderCaptureDevice</name>
    <message>
        <source>cannot start the recorder</source>
        <translation>die Aufnahme kann nicht gestartet werden</translation>
    </message>
    <message>
        <source>%1: %2 saved as %3</source>
        <translation>%1: %2 gespeichert als %3</translation>
    </message>
</context>
<context>
    <name>varnel::RowJob</name>
    <message>
        <source>the file written is gone</source>
        <translation>die geschriebene Datei ist verschwunden</translation>
    </message>
</context>
<context>
    <name>varnel::RowPlan</name>
    <message>
        <source>could not read this file as media: </source>
        <translation>diese Datei ließ sich nicht als Medium lesen: </translation>
    </message>
    <message>
        <source>the start %1 is past the end of the clip (%2)</source>
        <translation>der Start %1 liegt hinter dem Ende des Ausschnitts (%2)</translation>
    </message>
    <message>
        <source>the chosen entry is a category header, not a profile</source>
        <translation>der gewählte Eintrag ist eine Kategorie, kein Profil</translation>
    </message>
    <message>
        <source>no profile is chosen</source>
        <translation>kein Profil gewählt</translation>
    </message>
    <message>
        <source>cannot create a file in %1: %2</source>
        <translation>in %1 kann keine Datei angelegt werden: %2</translation>
    </message>
    <message>
        <source>the clip from %1 to %2 lasts no time: there is nothing to convert</source>
        <translation>der Ausschnitt von %1 bis %2 hat keine Dauer: es gibt nichts umzuwandeln</translation>
    </message>
    <message>
        <source>the file being written was replaced by another file: nothing is trusted of it</source>
        <translation>die Datei wurde beim Schreiben durch eine andere ersetzt: ihr wird nichts geglaubt</translation>
    </message>
    <message>
        <source>the encoder stopped abnormally (signal %1)</source>
        <translation>der Encoder brach unerwartet ab (Signal %1)</translation>
    </message>
    <message>
        <source>the encoder ended with exit code %1</source>
        <translation>der Encoder endete mit Rückgabewert %1</translation>
    </message>
    <message>
        <source>this file holds no sound, and this profile makes sound only</source>
        <translation>diese Datei enthält keinen Ton, und dieses Profil erzeugt nur Ton</translation>
    </message>
    <message>
        <source>this file holds no picture, and this profile makes video: choose a sound profile for it</source>
        <translation>diese Datei enthält kein Bild, und dieses Profil erzeugt Video: Wählen Sie dafür ein Tonprofil</translation>
    </message>
</context>
<context>
    <name>varnel::RunText</name>
    <message>
        <source>Progress....</source>
        <translation>Fortschritt....</translation>
    </message>
    <message>
        <source>Processing</source>
        <translation>In Arbeit</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Fail</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>Invalid input file name. </source>
        <translation>Ungültiger Name der Eingabedatei. </translation>
    </message>
    <message>
        <source>Conversion Canceled by the user!</source>
        <translation>Umwandlung vom Benutzer abgebrochen!</translation>
    </message>
    <message>
        <source>Conversion completed!</source>
        <translation>Umwandlung abgeschlossen!</translation>
    </message>
    <message>
        <source>Conversion completed</source>
        <translation>Umwandlung abgeschlossen</translation>
    </message>
    <message>
        <source>Converted with failures</source>
        <translation>Mit Fehlern umgewandelt</translation>
    </message>
    <message>
        <source>Conversion failed</source>
        <translation>Umwandlung fehlgeschlagen</translation>
    </message>
    <message>
        <source>Conversion cancelled</source>
        <translation>Umwandlung abgebrochen</translation>
    </message>
    <message>
        <source>No profile is chosen: choose one in the list of profiles, then convert.</source>
        <translation>Kein Profil gewählt: Wählen Sie eines in der Liste der Profile und wandeln Sie dann um.</translation>
    </message>
    <message>
        <source>%1 is a group of profiles: choose one of its profiles, then convert.</source>
        <translation>%1 ist eine Gruppe von Profilen: Wählen Sie eines ihrer Profile und wandeln Sie dann um.</translation>
    </message>
    <message>
        <source>Waiting for %1 of %2 files still being added...</source>
        <translation>Warten auf %1 von %2 Dateien, die noch hinzugefügt werden...</translation>
    </message>
    <message>
        <source>%1 of the %2 files were converted last time (OK). Convert them again?</source>
        <translation>%1 der %2 Dateien wurden beim letzten Mal umgewandelt (OK). Erneut umwandeln?</translation>
    </message>
    <message>
        <source>Already converted (OK): %1 of the %2 files. Convert them again?</source>
        <translation>Bereits umgewandelt (OK): %1 der %2 Dateien. Erneut umwandeln?</translation>
    </message>
</context>
<context>
    <name>varnel::SettingsDialog</name>
    <message>
        <source>Video Options</source>
        <translation>Videooptionen</translation>
    </message>
    <message>
        <source>Save Video Files to</source>
        <translation>Videodateien speichern in</translation>
    </message>
    <message>
        <source>Output Folder</source>
        <translation>Ausgabeordner</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>If same as an existed file</source>
        <translation>Wenn eine Datei schon existiert</translation>
    </message>
    <message>
        <source>Add &quot;New&quot; after filename</source>
        <translation>&quot;New&quot; an den Dateinamen anhängen</translation>
    </message>
    <message>
        <source>Overwrite the existed file</source>
        <translation>Vorhandene Datei überschreiben</translation>
    </message>
    <message>
        <source>Automatically Shutdown Computer After Conversion</source>
        <translation>Computer nach der Umwandlung automatisch herunterfahren</translation>
    </message>
    <message>
        <source>Thread</source>
        <translation>Threads</translation>
    </message>
    <message>
        <source>Number of threads to use for</source>
        <translation>Anzahl der zu verwendenden Threads</translation>
    </message>
    <message>
        <source>(0-8), 0 - Disable multi-thread</source>
        <translation>(0-8), 0 - Multithreading abschalten</translation>
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
    <name>varnel::SettingsForm</name>
    <message>
        <source>Thread error!</source>
        <translation>Fehler bei den Threads!</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1.</source>
        <translation>Die Einstellungen konnten nicht in %1 gespeichert werden.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be created or written to.</source>
        <translation>Der Ordner %1 kann nicht angelegt oder beschrieben werden.</translation>
    </message>
</context>
<context>
    <name>varnel::ShellServices</name>
    <message>
        <source>Could not open %1: no program on this desktop opened it.</source>
        <translation>%1 konnte nicht geöffnet werden: Kein Programm dieser Arbeitsumgebung hat es geöffnet.</translation>
    </message>
</context>
<context>
    <name>varnel::SourceKind</name>
    <message>
        <source>a playlist names other files; add the files themselves</source>
        <translation>eine Wiedergabeliste nennt andere Dateien; fügen Sie die Dateien selbst hinzu</translation>
    </message>
    <message>
        <source>a list of files to join names other files; add the files themselves</source>
        <translation>eine Liste zu verbindender Dateien nennt andere Dateien; fügen Sie die Dateien selbst hinzu</translation>
    </message>
    <message>
        <source>a subtitle index names another file, which holds its pictures</source>
        <translation>ein Untertitel-Index nennt eine andere Datei, die seine Bilder enthält</translation>
    </message>
    <message>
        <source>a session description names network streams, not a file to convert</source>
        <translation>eine Sitzungsbeschreibung nennt Netzwerkströme, keine umzuwandelnde Datei</translation>
    </message>
    <message>
        <source>the file makes its reader open other files or addresses</source>
        <translation>die Datei lässt ihren Leser andere Dateien oder Adressen öffnen</translation>
    </message>
</context>
<context>
    <name>varnel::SourceList</name>
    <message>
        <source>File Name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Video Time</source>
        <translation>Videodauer</translation>
    </message>
</context>
<context>
    <name>varnel::SourceListView</name>
    <message>
        <source>Drop video files here, or click Add Files</source>
        <translation>Videodateien hierher ziehen oder auf Dateien hinzufügen klicken</translation>
    </message>
</context>
<context>
    <name>varnel::StagedFile</name>
    <message>
        <source>the path in %1 is longer than this system holds (%2 bytes, fewer than %3)</source>
        <translation>der Pfad in %1 ist länger, als dieses System erlaubt (%2 Bytes, weniger als %3)</translation>
    </message>
    <message>
        <source>the name %1 is longer than this folder holds (%2 bytes, at most %3)</source>
        <translation>der Name %1 ist länger, als dieser Ordner erlaubt (%2 Bytes, höchstens %3)</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>varnel::StreamFormat</name>
    <message>
        <source>Get FLV</source>
        <translation>FLV holen</translation>
    </message>
    <message>
        <source>Get HD Low</source>
        <translation>HD niedrig holen</translation>
    </message>
    <message>
        <source>Get HD High</source>
        <translation>HD hoch holen</translation>
    </message>
    <message>
        <source>Get MP4</source>
        <translation>MP4 holen</translation>
    </message>
</context>
<context>
    <name>varnel::TodayCommand</name>
    <message>
        <source>Video Codec %1 is not one of this profile&apos;s codecs</source>
        <translation>Videocodec %1 gehört nicht zu den Codecs dieses Profils</translation>
    </message>
    <message>
        <source>Audio Codec %1 is not one of this profile&apos;s codecs</source>
        <translation>Audiocodec %1 gehört nicht zu den Codecs dieses Profils</translation>
    </message>
    <message>
        <source>%1 %2 is not a positive number</source>
        <translation>%1 %2 ist keine positive Zahl</translation>
    </message>
    <message>
        <source>Video Size %1 is neither Original nor WIDTHxHEIGHT from 16x16 to 16384x16384</source>
        <translation>Videogröße %1 ist weder Original noch BREITExHÖHE von 16x16 bis 16384x16384</translation>
    </message>
    <message>
        <source>%1 %2 is not one of this profile&apos;s choices: %3</source>
        <translation>%1 %2 gehört nicht zur Auswahl dieses Profils: %3</translation>
    </message>
    <message>
        <source>%1 %2 is not from %3 to %4</source>
        <translation>%1 %2 liegt nicht zwischen %3 und %4</translation>
    </message>
    <message>
        <source>the sound is disabled, and this profile makes sound only</source>
        <translation>der Ton ist abgeschaltet, und dieses Profil erzeugt nur Ton</translation>
    </message>
    <message>
        <source>this file holds sound and a cover picture, and the sound is disabled: there is no video to make</source>
        <translation>diese Datei enthält Ton und ein Titelbild, und der Ton ist abgeschaltet: es gibt kein Video zu erstellen</translation>
    </message>
    <message>
        <source>Video Framerate %1 is not a rate from 1 to 240</source>
        <translation>Videobildrate %1 ist keine Rate von 1 bis 240</translation>
    </message>
</context>
<context>
    <name>varnel::VideoDownloader</name>
    <message>
        <source>Reading Data...</source>
        <translation>Daten werden gelesen...</translation>
    </message>
    <message>
        <source>Slow Connection</source>
        <translation>Langsame Verbindung</translation>
    </message>
    <message>
        <source>cancelled: another page was asked for</source>
        <translation>abgebrochen: eine andere Seite wurde angefordert</translation>
    </message>
    <message>
        <source>Asking yt-dlp for the streams...</source>
        <translation>yt-dlp wird nach den Streams gefragt...</translation>
    </message>
    <message>
        <source>Complete!</source>
        <translation>Fertig!</translation>
    </message>
    <message>
        <source>a transfer is still going on</source>
        <translation>eine Übertragung läuft noch</translation>
    </message>
    <message>
        <source>no link for this format</source>
        <translation>kein Link für dieses Format</translation>
    </message>
    <message>
        <source>the name %1 would leave the folder %2</source>
        <translation>der Name %1 würde den Ordner %2 verlassen</translation>
    </message>
    <message>
        <source>Saved as </source>
        <translation>Gespeichert als </translation>
    </message>
    <message>
        <source>Failed: </source>
        <translation>Fehlgeschlagen: </translation>
    </message>
    <message>
        <source>Error-</source>
        <translation>Fehler-</translation>
    </message>
    <message>
        <source>Something Went Wrong</source>
        <translation>Etwas ist schiefgegangen</translation>
    </message>
    <message>
        <source>Download/Play</source>
        <translation>Herunterladen/Abspielen</translation>
    </message>
    <message>
        <source>Do you want Download or Play this video?
Click yes to Download, No to Play</source>
        <translation>Möchten Sie dieses Video herunterladen oder abspielen?
Klicken Sie auf Ja zum Herunterladen, auf Nein zum Abspielen</translation>
    </message>
</context>
<context>
    <name>varnel::Workspace</name>
    <message>
        <source>there is no preset %1</source>
        <translation>es gibt keine Vorgabe %1</translation>
    </message>
    <message>
        <source>the preset %1 cannot be used: %2</source>
        <translation>die Vorgabe %1 kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>The media player could not be started, so the files cannot be probed:
%1</source>
        <translation>Der Medienspieler konnte nicht gestartet werden, daher können die Dateien nicht untersucht werden:
%1</translation>
    </message>
    <message>
        <source>These files could not be read as media, and were not added:</source>
        <translation>Diese Dateien ließen sich nicht als Medien lesen und wurden nicht hinzugefügt:</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>the name is not UTF-8 text; name the file by a UTF-8 name</source>
        <translation>der Name ist kein UTF-8-Text; geben Sie der Datei einen UTF-8-Namen</translation>
    </message>
</context>
</TS>
