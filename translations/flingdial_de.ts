<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ArchiveConverter</name>
    <message>
        <location filename="../src/converters/archive/ArchiveConverter.cpp" line="+62"/>
        <source>The archive or the folder to unpack it into can’t be opened.</source>
        <translation>Das Archiv oder der Ordner, in den es entpackt werden soll, kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>It isn’t an archive Flingdial can read.</source>
        <translation>Dies ist kein Archiv, das Flingdial lesen kann.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The archive is damaged.</source>
        <translation>Das Archiv ist beschädigt.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>One of its entries can’t be written.</source>
        <translation>Einer der Einträge kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The last of it can’t be written.</source>
        <translation>Der letzte Teil kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The archive reader is missing. Reinstall Flingdial.</source>
        <translation>Das Programm zum Lesen von Archiven fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>%1 is password protected.</source>
        <translation>%1 ist passwortgeschützt.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 can’t be extracted.</source>
        <translation>%1 kann nicht entpackt werden.</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>The list of files to pack couldn’t be written: %1</source>
        <translation>Die Liste der zu packenden Dateien konnte nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>“%1” has a line break in its name, which ZIP can’t hold.</source>
        <translation>Der Name von „%1“ enthält einen Zeilenumbruch, den ZIP nicht speichern kann.</translation>
    </message>
    <message>
        <location line="+49"/>
        <source>This computer can’t open .%1 files.</source>
        <translation>Dieser Rechner kann keine .%1-Dateien öffnen.</translation>
    </message>
    <message>
        <location line="+24"/>
        <location line="+88"/>
        <source>%1 is empty.</source>
        <translation>%1 ist leer.</translation>
    </message>
    <message>
        <location line="-54"/>
        <source>Extract</source>
        <translation>Entpacken</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Compress to ZIP</source>
        <translation>Als ZIP komprimieren</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>Archive</source>
        <comment>the name of a new archive of several files</comment>
        <translation>Archiv</translation>
    </message>
</context>
<context>
    <name>Bindings</name>
    <message>
        <location filename="../src/cli/Bindings.cpp" line="+74"/>
        <source># Flingdial: add these lines to %1 and %2.
# While you drag files, Ctrl+Alt+Z, X and C open the Convert, Tools and
# Actions wheels where the drag goes next. %3 opens the wheel
# for the files copied in a file manager.
</source>
        <translation># Flingdial: Fügen Sie diese Zeilen zu %1 hinzu und %2.
# Während Sie Dateien ziehen, öffnen Strg+Alt+Z, X und C die Kreismenüs
# „Konvertieren“, „Werkzeuge“ und „Aktionen“ dort, wo das Ziehen hinführt.
# %3 öffnet das Kreismenü für die in einer Dateiverwaltung
# kopierten Dateien.
</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>reload sway (Super+Shift+C)</source>
        <translation>laden Sie Sway neu (Super+Umschalt+C)</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>save it (Hyprland reloads it at once)</source>
        <translation>speichern Sie die Datei (Hyprland lädt sie sofort neu)</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <location filename="../src/cli/CommandLine.cpp" line="+135"/>
        <source>No “%1” slice. Available: %2</source>
        <translation>Kein Segment „%1“. Verfügbar: %2</translation>
    </message>
    <message>
        <location line="+32"/>
        <location line="+73"/>
        <source>error: %1</source>
        <translation>Fehler: %1</translation>
    </message>
    <message>
        <location line="-66"/>
        <source>Usage:
  flingdial                                  start the tray application, or open
                                             its settings when it runs
  flingdial FILE…                            open the wheel for the files
  flingdial --run MODE LABEL FILE…           run one slice on the files
                                             (MODE: convert, tools or actions)
  flingdial --trigger [MODE]                 open the wheel of the running program:
                                             during a drag at the pointer, else
                                             for the copied files
  flingdial --bindings sway|hyprland         the key bindings for that compositor
  flingdial --login on|off                   start at login, or not
  flingdial --render-icon OUT.png|svg [SIZE] draw the application icon
  flingdial --render-menubar OUT.png|svg [SIZE]
                                             draw the tray mark
  flingdial --snapshot OUT.png MODE light|dark FILE…   draw the wheel
  flingdial --help | --version
</source>
        <translation>Aufruf:
  flingdial                                  das Programm im Infobereich starten oder,
                                             wenn es läuft, seine Einstellungen öffnen
  flingdial FILE…                            das Kreismenü für die Dateien öffnen
  flingdial --run MODE LABEL FILE…           ein Segment auf die Dateien anwenden
                                             (MODE: convert, tools oder actions)
  flingdial --trigger [MODE]                 das Kreismenü des laufenden Programms
                                             öffnen: beim Ziehen am Mauszeiger, sonst
                                             für die kopierten Dateien
  flingdial --bindings sway|hyprland         die Tastenkürzel für diesen Compositor
  flingdial --login on|off                   bei der Anmeldung starten oder nicht
  flingdial --render-icon OUT.png|svg [SIZE] das Programmsymbol zeichnen
  flingdial --render-menubar OUT.png|svg [SIZE]
                                             das Symbol im Infobereich zeichnen
  flingdial --snapshot OUT.png MODE light|dark FILE…   das Kreismenü zeichnen
  flingdial --help | --version
</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>error: No “%1” wheel: convert, tools or actions.</source>
        <translation>Fehler: Kein Kreismenü namens „%1“: convert, tools oder actions.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>error: Flingdial isn’t running. Start it first, then press the key again.</source>
        <translation>Fehler: Flingdial läuft nicht. Starten Sie es zuerst und drücken Sie dann die Taste erneut.</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>error: No bindings for “%1”: sway or hyprland.</source>
        <translation>Fehler: Keine Tastenkürzel für „%1“: sway oder hyprland.</translation>
    </message>
</context>
<context>
    <name>ComponentsPane</name>
    <message>
        <location filename="../src/ui/settings/ComponentsPane.cpp" line="+30"/>
        <source>Text from scans</source>
        <translation>Text aus Scans</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Text from scans. For %1: %2</source>
        <translation>Text aus Scans. Für %1: %2</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>WebP, AVIF, PSD, SVG</source>
        <translation>WebP, AVIF, PSD, SVG</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Stronger PDF compression</source>
        <translation>Stärkere PDF-Komprimierung</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Presentations, ODS and .doc files</source>
        <translation>Präsentationen, ODS- und .doc-Dateien</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>JXL pictures</source>
        <translation>JXL-Bilder</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Copy Command</source>
        <translation>Befehl kopieren</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Extra tools</source>
        <translation>Zusätzliche Werkzeuge</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Audio, video, common images, PDF, documents, EPUB, CSV, subtitles and archives work without installing anything.</source>
        <translation>Audio, Video, gängige Bilder, PDF, Dokumente, EPUB, CSV, Untertitel und Archive funktionieren ohne zusätzliche Installation.</translation>
    </message>
</context>
<context>
    <name>Csv</name>
    <message>
        <location filename="../src/converters/spreadsheet/Csv.cpp" line="+75"/>
        <source>%1 has a cell longer than %2 characters.</source>
        <translation>%1 enthält eine Zelle mit mehr als %2 Zeichen.</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>%1 has a row of more than %2 columns.</source>
        <translation>%1 enthält eine Zeile mit mehr als %2 Spalten.</translation>
    </message>
</context>
<context>
    <name>DBusNotifier</name>
    <message>
        <location filename="../src/platform/desktop/DBusNotifier.cpp" line="+45"/>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
</context>
<context>
    <name>Deps</name>
    <message>
        <location filename="../src/core/Deps.cpp" line="+251"/>
        <source>Text recognition needs Tesseract.
Install it with:</source>
        <translation>Die Texterkennung benötigt Tesseract.
Installieren mit:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Text recognition needs a language for Tesseract.
Install one with:</source>
        <translation>Die Texterkennung benötigt eine Sprache für Tesseract.
Installieren mit:</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>FFmpeg is missing.
Install it with:</source>
        <translation>FFmpeg fehlt.
Installieren mit:</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>ImageMagick is required.
Install it with:</source>
        <translation>ImageMagick wird benötigt.
Installieren mit:</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>JPEG XL needs libvips’ JPEG XL module.
Install it with:</source>
        <translation>JPEG XL benötigt das JPEG-XL-Modul von libvips.
Installieren mit:</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>This needs LibreOffice.
Install it with:</source>
        <translation>Dafür wird LibreOffice benötigt.
Installieren mit:</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>ODS files need LibreOffice:</source>
        <translation>ODS-Dateien benötigen LibreOffice:</translation>
    </message>
</context>
<context>
    <name>DesktopPlugin</name>
    <message>
        <location filename="../src/ui/DesktopPlugin.cpp" line="+57"/>
        <source>Keeping the copied data until another program takes the clipboard.
</source>
        <translation>Die kopierten Daten bleiben verfügbar, bis ein anderes Programm die Zwischenablage übernimmt.
</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Keeping the shelf until you close it.
</source>
        <translation>Die Ablage bleibt offen, bis Sie sie schließen.
</translation>
    </message>
</context>
<context>
    <name>DesktopShortcutsBox</name>
    <message>
        <location filename="../src/ui/settings/DesktopShortcutsBox.cpp" line="+12"/>
        <source>Desktop shortcuts</source>
        <translation>Tastenkürzel der Arbeitsumgebung</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The desktop hasn’t taken the shortcuts yet.</source>
        <translation>Die Arbeitsumgebung hat die Tastenkürzel noch nicht übernommen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Change them in %1.</source>
        <translation>Ändern Sie sie unter %1.</translation>
    </message>
</context>
<context>
    <name>DialogPrompter</name>
    <message>
        <location filename="../src/ui/DialogPrompter.cpp" line="+40"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Choose</source>
        <translation>Auswählen</translation>
    </message>
</context>
<context>
    <name>DocumentConverter</name>
    <message>
        <location filename="../src/converters/document/DocumentConverter.cpp" line="+65"/>
        <source>The folder “%1” couldn’t be created.</source>
        <translation>Der Ordner „%1“ konnte nicht angelegt werden.</translation>
    </message>
</context>
<context>
    <name>DocxReader</name>
    <message>
        <location filename="../src/engines/documents/DocxReader.cpp" line="+337"/>
        <source>%1 isn’t a Word document.</source>
        <translation>%1 ist kein Word-Dokument.</translation>
    </message>
</context>
<context>
    <name>Engines</name>
    <message>
        <location filename="../src/core/Engines.cpp" line="+26"/>
        <source>The image engine is missing. Reinstall Flingdial.</source>
        <translation>Das Modul zur Bildverarbeitung fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Background removal is missing. Reinstall Flingdial.</source>
        <translation>Das Modul zur Hintergrundentfernung fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The thumbnailer is missing. Reinstall Flingdial.</source>
        <translation>Das Modul für Vorschaubilder fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The document engine is missing. Reinstall Flingdial.</source>
        <translation>Das Modul zur Dokumentverarbeitung fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The PDF engine is missing. Reinstall Flingdial.</source>
        <translation>Das PDF-Modul fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The PDF compressor is missing. Reinstall Flingdial.</source>
        <translation>Das Modul zur PDF-Komprimierung fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Text recognition is missing. Reinstall Flingdial.</source>
        <translation>Das Modul zur Texterkennung fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
</context>
<context>
    <name>Epub</name>
    <message>
        <location filename="../src/engines/documents/Epub.cpp" line="+217"/>
        <source>%1 has no text that can be read.</source>
        <translation>%1 enthält keinen lesbaren Text.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1 isn’t a valid EPUB.</source>
        <translation>%1 ist kein gültiges EPUB.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1 isn’t a valid EPUB: it has no META-INF/container.xml.</source>
        <translation>%1 ist kein gültiges EPUB: Es fehlt META-INF/container.xml.</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <location filename="../src/base/Errors.cpp" line="+50"/>
        <source>Can’t read %1.</source>
        <translation>%1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Can’t save %1.</source>
        <translation>%1 kann nicht gespeichert werden.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The operation was cancelled.</source>
        <translation>Der Vorgang wurde abgebrochen.</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>There isn’t enough memory to finish.</source>
        <translation>Der Speicher reicht nicht aus, um den Vorgang abzuschließen.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>An unknown error occurred.</source>
        <translation>Ein unbekannter Fehler ist aufgetreten.</translation>
    </message>
</context>
<context>
    <name>ExtensionStatus</name>
    <message>
        <location filename="../src/ui/settings/ExtensionStatus.cpp" line="+20"/>
        <source>Turn On</source>
        <translation>Einschalten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy Command</source>
        <translation>Befehl kopieren</translation>
    </message>
    <message>
        <location line="+52"/>
        <source>On</source>
        <translation>Ein</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>It tells Flingdial when you press a trigger key while dragging, and passes the hot key on.</source>
        <translation>Sie meldet Flingdial, wenn Sie beim Ziehen eine Auslösetaste drücken, und gibt das Tastenkürzel weiter.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>GNOME lets only its own extensions see the keys you press while dragging. Turn it on once, here, with this command or in %1:</source>
        <translation>GNOME lässt nur seine eigenen Erweiterungen die Tasten sehen, die Sie beim Ziehen drücken. Schalten Sie sie einmal ein – hier, mit diesem Befehl oder in %1:</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Installed, not yet found</source>
        <translation>Installiert, noch nicht gefunden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>GNOME Shell finds new extensions when you log in. Log out and back in, then turn it on with this command or in %1:</source>
        <translation>GNOME Shell findet neue Erweiterungen bei der Anmeldung. Melden Sie sich ab und wieder an und schalten Sie sie dann mit diesem Befehl oder in %1 ein:</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Not installed</source>
        <translation>Nicht installiert</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Install Flingdial from its package (or with make install), log out and back in, then turn it on with this command:</source>
        <translation>Installieren Sie Flingdial aus seinem Paket (oder mit make install), melden Sie sich ab und wieder an und schalten Sie sie dann mit diesem Befehl ein:</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Failed to start</source>
        <translation>Start fehlgeschlagen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>GNOME Shell couldn’t start it. %1 may say more.</source>
        <translation>GNOME Shell konnte sie nicht starten. %1 zeigt vielleicht mehr.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>GNOME Shell couldn’t start it: %1</source>
        <translation>GNOME Shell konnte sie nicht starten: %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Made for older GNOME versions</source>
        <translation>Für ältere GNOME-Versionen gemacht</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>This GNOME Shell is newer than the versions it knows: a newer Flingdial brings an extension for it.</source>
        <translation>Diese GNOME Shell ist neuer als die Versionen, die sie kennt: Eine neuere Version von Flingdial bringt eine passende Erweiterung mit.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>GNOME Shell doesn’t answer: look in %1.</source>
        <translation>GNOME Shell antwortet nicht: Sehen Sie in %1 nach.</translation>
    </message>
</context>
<context>
    <name>FFmpeg</name>
    <message>
        <location filename="../src/converters/media/FFmpeg.cpp" line="+101"/>
        <source>ffmpeg couldn’t convert %1.</source>
        <translation>ffmpeg konnte %1 nicht konvertieren.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ffmpeg couldn’t join the files.</source>
        <translation>ffmpeg konnte die Dateien nicht zusammenfügen.</translation>
    </message>
</context>
<context>
    <name>FileOps</name>
    <message>
        <location filename="../src/base/FileOps.cpp" line="+68"/>
        <source>The name of “%1” isn’t valid UTF-8, which Flingdial can’t handle. Rename the file and try again.</source>
        <translation>Der Name von „%1“ ist kein gültiges UTF-8, damit kann Flingdial nicht umgehen. Benennen Sie die Datei um und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 is in a folder whose name isn’t valid UTF-8, which Flingdial can’t handle. Rename the folder and try again.</source>
        <translation>%1 liegt in einem Ordner, dessen Name kein gültiges UTF-8 ist, damit kann Flingdial nicht umgehen. Benennen Sie den Ordner um und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1 doesn’t exist.</source>
        <translation>%1 existiert nicht.</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>“%1” couldn’t be copied: %2.</source>
        <translation>„%1“ konnte nicht kopiert werden: %2.</translation>
    </message>
    <message>
        <location line="+28"/>
        <location line="+45"/>
        <location line="+6"/>
        <source>“%1” couldn’t be read: %2.</source>
        <translation>„%1“ konnte nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <location line="-41"/>
        <location line="+8"/>
        <source>“%1” couldn’t be moved: %2.</source>
        <translation>„%1“ konnte nicht verschoben werden: %2.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1 is a folder, not a file.</source>
        <translation>%1 ist ein Ordner, keine Datei.</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+7"/>
        <source>%1 isn’t a regular file.</source>
        <translation>%1 ist keine reguläre Datei.</translation>
    </message>
    <message>
        <location line="+8"/>
        <location line="+7"/>
        <source>%1 is too large to open.</source>
        <translation>%1 ist zu groß zum Öffnen.</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>“%1” couldn’t be removed: %2.</source>
        <translation>„%1“ konnte nicht entfernt werden: %2.</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>The folder “%1” doesn’t exist.</source>
        <translation>Der Ordner „%1“ existiert nicht.</translation>
    </message>
</context>
<context>
    <name>GeneralPane</name>
    <message>
        <location filename="../src/ui/settings/GeneralPane.cpp" line="+37"/>
        <source>Open at login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Next to the original</source>
        <translation>Neben dem Original</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A folder</source>
        <translation>In einem Ordner</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Save to</source>
        <translation>Speicherort</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Choose…</source>
        <translation>Auswählen…</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Image quality</source>
        <translation>Bildqualität</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>When finished</source>
        <translation>Nach Abschluss</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Show in file manager</source>
        <translation>In der Dateiverwaltung anzeigen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Send a notification</source>
        <translation>Benachrichtigung senden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Play a sound</source>
        <translation>Klang abspielen</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>None</source>
        <translation>Keiner</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Open at Login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Choose a folder for results</source>
        <translation>Ordner für die Ergebnisse auswählen</translation>
    </message>
</context>
<context>
    <name>GlobalShortcuts</name>
    <message>
        <location filename="../src/platform/GlobalShortcuts.cpp" line="+27"/>
        <source>Open the wheel</source>
        <translation>Kreismenü öffnen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Open the Convert wheel</source>
        <translation>Kreismenü „Konvertieren“ öffnen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Open the Tools wheel</source>
        <translation>Kreismenü „Werkzeuge“ öffnen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Open the Actions wheel</source>
        <translation>Kreismenü „Aktionen“ öffnen</translation>
    </message>
</context>
<context>
    <name>GnomeShellExtension</name>
    <message>
        <location filename="../src/platform/gnome/GnomeShellExtension.cpp" line="+57"/>
        <source>Flingdial’s GNOME Shell extension</source>
        <translation>GNOME-Shell-Erweiterung von Flingdial</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the Extensions app</source>
        <translation>„Erweiterungen“</translation>
    </message>
    <message>
        <location line="+47"/>
        <source>GNOME Shell didn’t answer: %1</source>
        <translation>GNOME Shell hat nicht geantwortet: %1</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>GNOME Shell doesn’t know the extension yet: log out and back in, then turn it on.</source>
        <translation>GNOME Shell kennt die Erweiterung noch nicht: Melden Sie sich ab und wieder an und schalten Sie sie dann ein.</translation>
    </message>
</context>
<context>
    <name>GuidePane</name>
    <message>
        <location filename="../src/ui/settings/GuidePane.cpp" line="+27"/>
        <source>Change format: PNG to JPG, MOV to MP4, DOCX to PDF…</source>
        <translation>Format ändern: PNG in JPG, MOV in MP4, DOCX in PDF…</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Compress, resize, trim, split, merge…</source>
        <translation>Komprimieren, Größe ändern, zuschneiden, teilen, zusammenfügen…</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Send to Device, Shelf, Copy, Move, Copy Path, Terminal</source>
        <translation>An Gerät senden, Ablage, Kopieren, Verschieben, Pfad kopieren, Terminal</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Drag, press a key, drop</source>
        <translation>Ziehen, Taste drücken, ablegen</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Start dragging a file and, while holding the mouse button, press a key. A wheel appears under the pointer: drop the file on the option you want.</source>
        <translation>Beginnen Sie, eine Datei zu ziehen, und drücken Sie bei gedrückter Maustaste eine Taste. Unter dem Mauszeiger erscheint ein Kreismenü: Legen Sie die Datei auf der gewünschten Option ab.</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>Copy files in your file manager and press %1 to open the wheel from the keyboard.</source>
        <translation>Kopieren Sie Dateien in Ihrer Dateiverwaltung und drücken Sie %1, um das Kreismenü über die Tastatur zu öffnen.</translation>
    </message>
    <message>
        <location line="-17"/>
        <source>Everything happens on your computer: no file is ever uploaded.</source>
        <translation>Alles geschieht auf Ihrem Rechner: Keine Datei wird jemals hochgeladen.</translation>
    </message>
</context>
<context>
    <name>HeadlessPlatform</name>
    <message>
        <location filename="../src/platform/headless/HeadlessPlatform.cpp" line="+21"/>
        <source>A terminal needs a display to open on.</source>
        <translation>Ein Terminal braucht einen Bildschirm, auf dem es sich öffnen kann.</translation>
    </message>
</context>
<context>
    <name>Hocr</name>
    <message>
        <location filename="../src/converters/ocr/Hocr.cpp" line="+178"/>
        <location line="+2"/>
        <source>The text recogniser’s answer can’t be read.</source>
        <translation>Die Antwort der Texterkennung kann nicht gelesen werden.</translation>
    </message>
</context>
<context>
    <name>ImageConverter</name>
    <message>
        <location filename="../src/converters/image/ImageConverter.cpp" line="+56"/>
        <source>%1 has more pixels than can be opened (%2 frames of %3 × %4).</source>
        <translation>%1 hat mehr Pixel, als geöffnet werden können (%2 Einzelbilder zu %3 × %4).</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>ImageMagick couldn’t convert %1.</source>
        <translation>ImageMagick konnte %1 nicht konvertieren.</translation>
    </message>
    <message>
        <location line="+69"/>
        <source>Resize Images</source>
        <translation>Bildgröße ändern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Longest side in pixels, or a percentage (for example 1600 or 50%):</source>
        <translation>Längste Seite in Pixeln oder ein Prozentsatz (zum Beispiel 1600 oder 50%):</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>“%1” isn’t a valid size.</source>
        <translation>„%1“ ist keine gültige Größe.</translation>
    </message>
    <message>
        <location line="+61"/>
        <source>Compress</source>
        <translation>Komprimieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Compress to Size…</source>
        <translation>Auf Größe komprimieren…</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Half Size</source>
        <translation>Halbe Größe</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Resize…</source>
        <translation>Größe ändern…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rotate</source>
        <translation>Drehen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Flip</source>
        <translation>Spiegeln</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Square</source>
        <translation>Quadratisch</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Strip Metadata</source>
        <translation>Metadaten entfernen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Remove Location</source>
        <translation>Standort entfernen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Remove Background</source>
        <translation>Hintergrund entfernen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Merge into PDF</source>
        <translation>Zu PDF zusammenfügen</translation>
    </message>
    <message>
        <location line="+42"/>
        <source>%1 is already as small as it gets.</source>
        <translation>%1 ist bereits so klein wie möglich.</translation>
    </message>
    <message>
        <location line="+47"/>
        <source>At %1 pixels, %2 would have more pixels than can be saved (%3 × %4).</source>
        <translation>Bei %1 Pixeln hätte %2 mehr Pixel, als gespeichert werden können (%3 × %4).</translation>
    </message>
    <message>
        <location line="+92"/>
        <source>No subject found in %1.</source>
        <translation>In %1 wurde kein Motiv gefunden.</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>None of these images can be read.</source>
        <translation>Keines dieser Bilder kann gelesen werden.</translation>
    </message>
</context>
<context>
    <name>KGlobalAccelShortcuts</name>
    <message>
        <location filename="../src/platform/kde/KGlobalAccelShortcuts.cpp" line="+201"/>
        <source>System Settings → Shortcuts → Flingdial</source>
        <translation>Systemeinstellungen → Kurzbefehle → Flingdial</translation>
    </message>
</context>
<context>
    <name>KdeShortcuts</name>
    <message>
        <location filename="../src/platform/kde/KdeShortcuts.cpp" line="+72"/>
        <source>System Settings → Shortcuts</source>
        <translation>Systemeinstellungen → Kurzbefehle</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Shift, Ctrl and the other trigger keys work while dragging only when System Settings → Legacy X11 App Support lets X11 programs see the modifier keys (“Only Meta, Control, Alt and Shift keys” or more); the shortcuts above work without it.</source>
        <translation>Umschalt, Strg und die anderen Auslösetasten wirken beim Ziehen nur, wenn Systemeinstellungen → Unterstützung für ältere X11-Anwendungen X11-Programmen die Sondertasten zeigt („Nur die Tasten Meta, Strg, Alt und Umschalt“ oder mehr); die Tastenkürzel oben funktionieren auch ohne.</translation>
    </message>
</context>
<context>
    <name>KeyCombination</name>
    <message>
        <location filename="../src/core/KeyCombination.cpp" line="+37"/>
        <source>Space</source>
        <translation>Leertaste</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Return</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Tab</source>
        <translation>Tab</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Backspace</source>
        <translation>Rücktaste</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Ins</source>
        <translation>Einfg</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Del</source>
        <translation>Entf</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Home</source>
        <translation>Pos1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>End</source>
        <translation>Ende</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>PgUp</source>
        <translation>Bild auf</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>PgDown</source>
        <translation>Bild ab</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Left</source>
        <translation>Links</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Up</source>
        <translation>Oben</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Right</source>
        <translation>Rechts</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Down</source>
        <translation>Unten</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Print</source>
        <translation>Druck</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ScrollLock</source>
        <translation>Rollen</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Menu</source>
        <translation>Menü</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Ctrl</source>
        <translation>Strg</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Shift</source>
        <translation>Umschalt</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Super</source>
        <translation>Super</translation>
    </message>
</context>
<context>
    <name>KeyRecorder</name>
    <message>
        <location filename="../src/ui/settings/KeyRecorder.cpp" line="+29"/>
        <location line="+23"/>
        <source>Change…</source>
        <translation>Ändern…</translation>
    </message>
    <message>
        <location line="-12"/>
        <source>Press the keys…</source>
        <translation>Tasten drücken…</translation>
    </message>
</context>
<context>
    <name>KeysPane</name>
    <message>
        <location filename="../src/ui/settings/KeysPane.cpp" line="+29"/>
        <source>While dragging</source>
        <translation>Beim Ziehen</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Two modes use the same key: the first one wins.</source>
        <translation>Zwei Modi verwenden dieselbe Taste: Der erste hat Vorrang.</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Shortcut</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Here the compositor runs the keys: put the lines that “flingdial --bindings %1” prints into its configuration, and again after changing a key.</source>
        <translation>Hier führt der Compositor die Tasten aus: Übernehmen Sie die Zeilen, die „flingdial --bindings %1“ ausgibt, in seine Konfiguration, und nach dem Ändern einer Taste erneut.</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>That key can’t open the wheel. Use a letter, a digit, Space or a function key, with Ctrl, Alt or Super.</source>
        <translation>Diese Taste kann das Kreismenü nicht öffnen. Verwenden Sie einen Buchstaben, eine Ziffer, die Leertaste oder eine Funktionstaste, zusammen mit Strg, Alt oder Super.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Hold Ctrl, Alt or Super with %1: on its own it is needed for typing.</source>
        <translation>Halten Sie Strg, Alt oder Super zusammen mit %1 gedrückt: allein wird die Taste zum Schreiben gebraucht.</translation>
    </message>
    <message>
        <location line="-12"/>
        <source>%1 is in use by another program. Choose another combination.</source>
        <translation>%1 wird von einem anderen Programm verwendet. Wählen Sie eine andere Kombination.</translation>
    </message>
    <message>
        <location line="+55"/>
        <source>%1 opens the wheel for copied files</source>
        <translation>%1 öffnet das Kreismenü für kopierte Dateien</translation>
    </message>
</context>
<context>
    <name>LibreOffice</name>
    <message>
        <location filename="../src/converters/office/LibreOffice.cpp" line="+55"/>
        <source>LibreOffice didn’t respond in time.</source>
        <translation>LibreOffice hat nicht rechtzeitig geantwortet.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>LibreOffice failed (%1).
%2</source>
        <translation>LibreOffice ist fehlgeschlagen (%1).
%2</translation>
    </message>
    <message>
        <location line="+82"/>
        <source>“%1” couldn’t be prepared for LibreOffice.</source>
        <translation>„%1“ konnte nicht für LibreOffice vorbereitet werden.</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>LibreOffice couldn’t open %1.</source>
        <translation>LibreOffice konnte %1 nicht öffnen.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>LibreOffice didn’t produce a file.</source>
        <translation>LibreOffice hat keine Datei erzeugt.</translation>
    </message>
</context>
<context>
    <name>LocationRemover</name>
    <message>
        <location filename="../src/engines/images/LocationRemover.cpp" line="+32"/>
        <source>The location can’t be removed from %1: its metadata is stored in a form that can’t be edited.</source>
        <translation>Der Standort kann nicht aus %1 entfernt werden: Die Metadaten sind in einer Form gespeichert, die sich nicht bearbeiten lässt.</translation>
    </message>
</context>
<context>
    <name>MediaCompression</name>
    <message>
        <location filename="../src/converters/media/MediaCompression.cpp" line="+85"/>
        <source>%1 is already as small as it gets.</source>
        <translation>%1 ist bereits so klein wie möglich.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The length of %1 can’t be read.</source>
        <translation>Die Länge von %1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>%1 couldn’t be made to fit in %2.</source>
        <translation>%1 konnte nicht auf %2 verkleinert werden.</translation>
    </message>
    <message>
        <location line="+124"/>
        <source>%1 can’t be made smaller than about %2 without falling below %3p.</source>
        <translation>%1 kann nicht kleiner als etwa %2 werden, ohne unter %3p zu fallen.</translation>
    </message>
    <message>
        <location line="+39"/>
        <source>%1 can’t be made smaller than about %2 without falling below %3 kbit/s.</source>
        <translation>%1 kann nicht kleiner als etwa %2 werden, ohne unter %3 kbit/s zu fallen.</translation>
    </message>
    <message>
        <location line="+26"/>
        <location line="+6"/>
        <source>Compress</source>
        <translation>Komprimieren</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Compress to Size…</source>
        <translation>Auf Größe komprimieren…</translation>
    </message>
</context>
<context>
    <name>MediaConverter</name>
    <message>
        <location filename="../src/converters/media/MediaConverter.cpp" line="+75"/>
        <source>Trim…</source>
        <translation>Zuschneiden…</translation>
    </message>
    <message>
        <location line="+91"/>
        <source>%1 seconds</source>
        <translation>%1 Sekunden</translation>
    </message>
    <message>
        <location line="+67"/>
        <source>This FFmpeg can’t encode H.264 video: it has neither libx264 nor a hardware H.264 encoder.</source>
        <translation>Dieses FFmpeg kann kein H.264-Video kodieren: Es hat weder libx264 noch einen H.264-Hardware-Encoder.</translation>
    </message>
    <message>
        <location line="+121"/>
        <source>Extract Audio</source>
        <translation>Audio extrahieren</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Mute</source>
        <translation>Ton entfernen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>720p</source>
        <translation>720p</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Rotate</source>
        <translation>Drehen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Speed 2×</source>
        <translation>Tempo 2×</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Frame</source>
        <translation>Standbild</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Strip Metadata</source>
        <translation>Metadaten entfernen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Remove Location</source>
        <translation>Standort entfernen</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+25"/>
        <source>Merge</source>
        <translation>Zusammenfügen</translation>
    </message>
    <message>
        <location line="-11"/>
        <source>Normalize</source>
        <translation>Normalisieren</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Reverse</source>
        <translation>Rückwärts</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Mono</source>
        <translation>Mono</translation>
    </message>
    <message>
        <location line="+42"/>
        <source>%1 is %2 long.</source>
        <translation>%1 ist %2 lang.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The shortest, %1, is %2 long.</source>
        <translation>Die kürzeste Datei, %1, ist %2 lang.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Trim</source>
        <translation>Zuschneiden</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Part to keep, from – to (for example 0:05 - 1:30):</source>
        <translation>Zu behaltender Teil, von – bis (zum Beispiel 0:05 - 1:30):</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Write the range like this: 0:05 - 1:30.</source>
        <translation>Schreiben Sie den Bereich so: 0:05 - 1:30.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The range “%1” ends before it starts.</source>
        <translation>Der Bereich „%1“ endet, bevor er beginnt.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1 is only %2 long.</source>
        <translation>%1 ist nur %2 lang.</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Drag two or more videos to merge them.</source>
        <translation>Ziehen Sie zwei oder mehr Videos, um sie zusammenzufügen.</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Drag two or more audio files to merge them.</source>
        <translation>Ziehen Sie zwei oder mehr Audiodateien, um sie zusammenzufügen.</translation>
    </message>
</context>
<context>
    <name>ModifierKey</name>
    <message>
        <location filename="../src/core/ModifierKey.cpp" line="+47"/>
        <source>⇧ Shift</source>
        <translation>⇧ Umschalt</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>❖ Super</source>
        <translation>❖ Super</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>⌃ Ctrl</source>
        <translation>⌃ Strg</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>⎇ Alt</source>
        <translation>⎇ Alt</translation>
    </message>
</context>
<context>
    <name>NewFile</name>
    <message>
        <location filename="../src/engines/documents/NewFile.cpp" line="+17"/>
        <source>“%1” couldn’t be written: %2.</source>
        <translation>„%1“ konnte nicht geschrieben werden: %2.</translation>
    </message>
</context>
<context>
    <name>OcrConverter</name>
    <message>
        <location filename="../src/converters/ocr/OcrConverter.cpp" line="+46"/>
        <source>The PDF page renderer is missing. Reinstall Flingdial.</source>
        <translation>Das Programm zum Zeichnen von PDF-Seiten fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>A page of %1 takes too long to read.</source>
        <translation>Das Lesen einer Seite von %1 dauert zu lange.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The pages of %1 can’t be read.</source>
        <translation>Die Seiten von %1 können nicht gelesen werden.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>%1 takes too long to read.</source>
        <translation>Das Lesen von %1 dauert zu lange.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1 can’t be drawn.</source>
        <translation>%1 kann nicht gezeichnet werden.</translation>
    </message>
    <message>
        <location line="+74"/>
        <source>%1 has no pages.</source>
        <translation>%1 hat keine Seiten.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1 already has text.</source>
        <translation>%1 enthält bereits Text.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Page %1 of %2</source>
        <translation>Seite %1 von %2</translation>
    </message>
    <message>
        <location line="+11"/>
        <location line="+18"/>
        <location line="+16"/>
        <source>No text was found in %1.</source>
        <translation>In %1 wurde kein Text gefunden.</translation>
    </message>
    <message>
        <location line="-32"/>
        <source> searchable</source>
        <translation> durchsuchbar</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>No text was found in these pictures.</source>
        <translation>In diesen Bildern wurde kein Text gefunden.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Not every picture can be read.</source>
        <translation>Nicht alle Bilder können gelesen werden.</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Make Searchable</source>
        <translation>Durchsuchbar machen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Make Searchable PDF</source>
        <translation>Durchsuchbares PDF erstellen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Extract Text</source>
        <translation>Text extrahieren</translation>
    </message>
</context>
<context>
    <name>OdtReader</name>
    <message>
        <location filename="../src/engines/documents/OdtReader.cpp" line="+131"/>
        <source>%1 isn’t an OpenDocument text.</source>
        <translation>%1 ist kein OpenDocument-Text.</translation>
    </message>
</context>
<context>
    <name>Output</name>
    <message>
        <location filename="../src/core/Output.cpp" line="+131"/>
        <source>The folder “%1” couldn’t be created.</source>
        <translation>Der Ordner „%1“ konnte nicht angelegt werden.</translation>
    </message>
</context>
<context>
    <name>PageHelper</name>
    <message>
        <location filename="../src/converters/pdf/PageHelper.cpp" line="+12"/>
        <source>The PDF page reader is missing. Reinstall Flingdial.</source>
        <translation>Das Programm zum Lesen von PDF-Seiten fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>The pages of %1 can’t be drawn.</source>
        <translation>Die Seiten von %1 können nicht gezeichnet werden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The text of %1 can’t be read.</source>
        <translation>Der Text von %1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Can’t open %1.</source>
        <translation>%1 kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 is password protected.</source>
        <translation>%1 ist passwortgeschützt.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 is damaged: its page count can’t be read.</source>
        <translation>%1 ist beschädigt: Die Seitenzahl kann nicht gelesen werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Page %1 of %2 can’t be drawn.</source>
        <translation>Seite %1 von %2 kann nicht gezeichnet werden.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The image engine can’t start.</source>
        <translation>Die Bildverarbeitung kann nicht gestartet werden.</translation>
    </message>
</context>
<context>
    <name>PdfConverter</name>
    <message>
        <location filename="../src/converters/pdf/PdfConverter.cpp" line="+46"/>
        <source>%1 has one page.</source>
        <translation>%1 hat eine Seite.</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>%1 has %n pages.</source>
        <translation>
            <numerusform>%1 hat %n Seite.</numerusform>
            <numerusform>%1 hat %n Seiten.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+34"/>
        <source>A page of %1 takes too long to draw.</source>
        <translation>Das Zeichnen einer Seite von %1 dauert zu lange.</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The text of %1 takes too long to read.</source>
        <translation>Das Lesen des Texts von %1 dauert zu lange.</translation>
    </message>
    <message>
        <location line="+107"/>
        <source>%1 is already as small as it gets.</source>
        <translation>%1 ist bereits so klein wie möglich.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Drag two or more PDFs to merge them.</source>
        <translation>Ziehen Sie zwei oder mehr PDFs, um sie zusammenzufügen.</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>Extract Pages</source>
        <translation>Seiten extrahieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pages to keep (for example 1-3, 5):</source>
        <translation>Zu behaltende Seiten (zum Beispiel 1-3, 5):</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Remove Pages</source>
        <translation>Seiten entfernen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pages to remove (for example 2, 4-6):</source>
        <translation>Zu entfernende Seiten (zum Beispiel 2, 4-6):</translation>
    </message>
    <message>
        <location line="+62"/>
        <source>“%1” isn’t a valid page range.</source>
        <translation>„%1“ ist kein gültiger Seitenbereich.</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>No pages would be left.</source>
        <translation>Es würden keine Seiten übrig bleiben.</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The page of %1 can’t be drawn.</source>
        <translation>Die Seite von %1 kann nicht gezeichnet werden.</translation>
    </message>
</context>
<context>
    <name>PdfRenderer</name>
    <message>
        <location filename="../src/engines/documents/PdfRenderer.cpp" line="+407"/>
        <location line="+8"/>
        <location line="+10"/>
        <location line="+17"/>
        <source>The PDF couldn’t be created.</source>
        <translation>Das PDF konnte nicht erstellt werden.</translation>
    </message>
</context>
<context>
    <name>PortalShortcuts</name>
    <message>
        <location filename="../src/platform/kde/PortalShortcuts.cpp" line="+243"/>
        <source>System Settings → Shortcuts</source>
        <translation>Systemeinstellungen → Kurzbefehle</translation>
    </message>
</context>
<context>
    <name>ProgressBar</name>
    <message>
        <location filename="../src/cli/ProgressBar.cpp" line="+52"/>
        <source>%1 left</source>
        <comment>time left</comment>
        <translation>noch %1</translation>
    </message>
</context>
<context>
    <name>QpdfFiles</name>
    <message>
        <location filename="../src/engines/qpdf/QpdfFiles.cpp" line="+54"/>
        <source>%1 is password protected.</source>
        <translation>%1 ist passwortgeschützt.</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+2"/>
        <source>Can’t open %1.</source>
        <translation>%1 kann nicht geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>QpdfTextLayers</name>
    <message>
        <location filename="../src/engines/ocr/QpdfTextLayers.cpp" line="+359"/>
        <source>Can’t add text to %1.</source>
        <translation>Zu %1 kann kein Text hinzugefügt werden.</translation>
    </message>
</context>
<context>
    <name>RenderCommands</name>
    <message>
        <location filename="../src/ui/RenderCommands.cpp" line="+28"/>
        <source>error: %1</source>
        <translation>Fehler: %1</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Can’t write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <location line="+14"/>
        <location line="+3"/>
        <source>Can’t write %1.</source>
        <translation>%1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>The size must be a number of pixels from 1 to %1.</source>
        <translation>Die Größe muss eine Pixelzahl von 1 bis %1 sein.</translation>
    </message>
</context>
<context>
    <name>ResultGuard</name>
    <message>
        <location filename="../src/core/ResultGuard.cpp" line="+38"/>
        <source>“%1” couldn’t be saved: %2.</source>
        <translation>„%1“ konnte nicht gespeichert werden: %2.</translation>
    </message>
    <message>
        <location line="+67"/>
        <source>The folder “%1” couldn’t be created.</source>
        <translation>Der Ordner „%1“ konnte nicht angelegt werden.</translation>
    </message>
</context>
<context>
    <name>RichDocument</name>
    <message>
        <location filename="../src/engines/documents/RichDocument.cpp" line="+96"/>
        <source>%1 isn’t UTF-8 text.</source>
        <translation>%1 ist kein UTF-8-Text.</translation>
    </message>
    <message>
        <location line="+84"/>
        <source>The page nests too deeply to be read.</source>
        <translation>Die Seite ist zu tief verschachtelt, um gelesen zu werden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 nests too deeply to be read.</source>
        <translation>%1 ist zu tief verschachtelt, um gelesen zu werden.</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>This computer can’t open .%1 files.</source>
        <translation>Dieser Rechner kann keine .%1-Dateien öffnen.</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>Can’t create .%1 files.</source>
        <translation>.%1-Dateien können nicht erstellt werden.</translation>
    </message>
</context>
<context>
    <name>RtfReader</name>
    <message>
        <location filename="../src/engines/documents/RtfReader.cpp" line="+121"/>
        <source>%1 isn’t an RTF document.</source>
        <translation>%1 ist kein RTF-Dokument.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>%1 nests too deeply to be read.</source>
        <translation>%1 ist zu tief verschachtelt, um gelesen zu werden.</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>%1 is damaged and can’t be read.</source>
        <translation>%1 ist beschädigt und kann nicht gelesen werden.</translation>
    </message>
</context>
<context>
    <name>Runner</name>
    <message numerus="yes">
        <location filename="../src/ui/Runner.cpp" line="+160"/>
        <location line="+33"/>
        <source>%n files</source>
        <translation>
            <numerusform>%n Datei</numerusform>
            <numerusform>%n Dateien</numerusform>
        </translation>
    </message>
    <message>
        <location line="-29"/>
        <source>Converting %1 to %2</source>
        <translation>%1 wird in %2 konvertiert</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1: %2</source>
        <comment>operation: files</comment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 %</source>
        <comment>percent done</comment>
        <translation>%1 %</translation>
    </message>
    <message>
        <location line="+2"/>
        <source> — %1 of %2</source>
        <comment>file index</comment>
        <translation> — %1 von %2</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Converted to %1</source>
        <translation>In %1 konvertiert</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Saved %1</source>
        <translation>%1 gespeichert</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Saved %1 in %2</source>
        <translation>%1 in %2 gespeichert</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>The operation couldn’t be completed</source>
        <translation>Der Vorgang konnte nicht abgeschlossen werden</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>An extra component is needed</source>
        <translation>Eine zusätzliche Komponente wird benötigt</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Copy Command</source>
        <translation>Befehl kopieren</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <location filename="../src/ui/settings/SettingsWindow.cpp" line="+28"/>
        <source>Welcome</source>
        <translation>Willkommen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Keyboard</source>
        <translation>Tastatur</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Components</source>
        <translation>Komponenten</translation>
    </message>
</context>
<context>
    <name>ShareActions</name>
    <message>
        <location filename="../src/ui/actions/ShareActions.cpp" line="+48"/>
        <source>Send to Device</source>
        <translation>An Gerät senden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Shelf</source>
        <translation>Ablage</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Move…</source>
        <translation>Verschieben…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy Path</source>
        <translation>Pfad kopieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Terminal</source>
        <translation>Terminal</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>No paired device is reachable right now.</source>
        <translation>Gerade ist kein gekoppeltes Gerät erreichbar.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Sending to a device needs KDE Connect.
Install it with:</source>
        <translation>Zum Senden an ein Gerät wird KDE Connect benötigt.
Installieren mit:</translation>
    </message>
    <message>
        <location line="+46"/>
        <source>Move %1 to:</source>
        <translation>%1 verschieben nach:</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>Move %n items to:</source>
        <translation>
            <numerusform>%n Objekt verschieben nach:</numerusform>
            <numerusform>%n Objekte verschieben nach:</numerusform>
        </translation>
    </message>
    <message>
        <location line="+12"/>
        <source>“%1” can’t be moved into itself.</source>
        <translation>„%1“ kann nicht in sich selbst verschoben werden.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The folder “%1” doesn’t exist.</source>
        <translation>Der Ordner „%1“ existiert nicht.</translation>
    </message>
</context>
<context>
    <name>Shelf</name>
    <message>
        <location filename="../src/ui/actions/Shelf.cpp" line="+107"/>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message numerus="yes">
        <location line="+24"/>
        <source>%n items</source>
        <translation>
            <numerusform>%n Objekt</numerusform>
            <numerusform>%n Objekte</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Shell</name>
    <message>
        <location filename="../src/core/Shell.cpp" line="+23"/>
        <source>%1 failed (%2).</source>
        <translation>%1 ist fehlgeschlagen (%2).</translation>
    </message>
</context>
<context>
    <name>SizeLimit</name>
    <message>
        <location filename="../src/converters/media/SizeLimit.cpp" line="+89"/>
        <source>Compress to Size</source>
        <translation>Auf Größe komprimieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Largest size of each result (8, 10, 25 and 50 MB are common limits):</source>
        <translation>Höchstgröße jedes Ergebnisses (8, 10, 25 und 50 MB sind gängige Grenzen):</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>“%1” isn’t a size. Write it like this: 10 MB.</source>
        <translation>„%1“ ist keine Größe. Schreiben Sie sie so: 10 MB.</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>%1 is already smaller than %2.</source>
        <translation>%1 ist bereits kleiner als %2.</translation>
    </message>
</context>
<context>
    <name>SlidesConverter</name>
    <message>
        <location filename="../src/converters/slides/SlidesConverter.cpp" line="+50"/>
        <source>This computer can’t write .key files.</source>
        <translation>Dieser Rechner kann keine .key-Dateien schreiben.</translation>
    </message>
</context>
<context>
    <name>SpreadsheetConverter</name>
    <message>
        <location filename="../src/converters/spreadsheet/SpreadsheetConverter.cpp" line="+53"/>
        <source>“%1” couldn’t be written: %2.</source>
        <translation>„%1“ konnte nicht geschrieben werden: %2.</translation>
    </message>
</context>
<context>
    <name>SubtitleConverter</name>
    <message>
        <location filename="../src/converters/subtitle/SubtitleConverter.cpp" line="+233"/>
        <source>A shift of %1 seconds is too large.</source>
        <translation>Eine Verschiebung um %1 Sekunden ist zu groß.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Shift Subtitles</source>
        <translation>Untertitel verschieben</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Seconds to shift (negative = earlier):</source>
        <translation>Verschiebung in Sekunden (negativ = früher):</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>“%1” isn’t a number.</source>
        <translation>„%1“ ist keine Zahl.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Shift Timing…</source>
        <translation>Zeitversatz…</translation>
    </message>
    <message>
        <location line="+184"/>
        <source>synced</source>
        <comment>added to the name of shifted subtitles</comment>
        <translation>verschoben</translation>
    </message>
</context>
<context>
    <name>Terminal</name>
    <message>
        <location filename="../src/platform/desktop/Terminal.cpp" line="+155"/>
        <source>No terminal program is installed.
Install one with:</source>
        <translation>Es ist kein Terminalprogramm installiert.
Installieren mit:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The terminal “%1” couldn’t be started.</source>
        <translation>Das Terminal „%1“ konnte nicht gestartet werden.</translation>
    </message>
</context>
<context>
    <name>Tesseract</name>
    <message>
        <location filename="../src/converters/ocr/Tesseract.cpp" line="+33"/>
        <source>Text recognition needs Tesseract.</source>
        <translation>Die Texterkennung benötigt Tesseract.</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>%1 takes too long to read.</source>
        <translation>Das Lesen von %1 dauert zu lange.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1 can’t be read.</source>
        <translation>%1 kann nicht gelesen werden.</translation>
    </message>
</context>
<context>
    <name>TextFile</name>
    <message>
        <location filename="../src/base/TextFile.cpp" line="+87"/>
        <location line="+51"/>
        <location line="+17"/>
        <location line="+8"/>
        <source>“%1” couldn’t be read: %2.</source>
        <translation>„%1“ konnte nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>“%1” couldn’t be written: %2.</source>
        <translation>„%1“ konnte nicht geschrieben werden: %2.</translation>
    </message>
</context>
<context>
    <name>TextWriter</name>
    <message>
        <location filename="../src/base/TextWriter.cpp" line="+31"/>
        <source>“%1” couldn’t be written: %2.</source>
        <translation>„%1“ konnte nicht geschrieben werden: %2.</translation>
    </message>
</context>
<context>
    <name>TrayApplication</name>
    <message>
        <location filename="../src/ui/TrayApplication.cpp" line="+142"/>
        <source>Open Wheel for Copied Files</source>
        <translation>Kreismenü für kopierte Dateien öffnen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Choose Files…</source>
        <translation>Dateien auswählen…</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>How It Works</source>
        <translation>So funktioniert es</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Quit Flingdial</source>
        <translation>Flingdial beenden</translation>
    </message>
    <message>
        <location line="+146"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>An operation is running. Quit and cancel it?</source>
        <translation>Ein Vorgang läuft. Beenden und ihn abbrechen?</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>%n operations are running. Quit and cancel them?</source>
        <translation>
            <numerusform>%n Vorgang läuft. Beenden und ihn abbrechen?</numerusform>
            <numerusform>%n Vorgänge laufen. Beenden und sie abbrechen?</numerusform>
        </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Don’t Quit</source>
        <translation>Nicht beenden</translation>
    </message>
    <message>
        <location line="+142"/>
        <source>Choose Files</source>
        <translation>Dateien auswählen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Open Wheel</source>
        <translation>Kreismenü öffnen</translation>
    </message>
</context>
<context>
    <name>VipsImageEngine</name>
    <message>
        <location filename="../src/engines/images/VipsImageEngine.cpp" line="+160"/>
        <source>%1 has more pixels than can be opened (%2 × %3).</source>
        <translation>%1 hat mehr Pixel, als geöffnet werden können (%2 × %3).</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>%1 is damaged or incomplete.</source>
        <translation>%1 ist beschädigt oder unvollständig.</translation>
    </message>
    <message>
        <location line="+142"/>
        <source>This image format can’t be written.</source>
        <translation>Dieses Bildformat kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <location line="+47"/>
        <source>%1 has more pixels than can be opened (%2 frames of %3 × %4).</source>
        <translation>%1 hat mehr Pixel, als geöffnet werden können (%2 Einzelbilder zu %3 × %4).</translation>
    </message>
    <message>
        <location line="+227"/>
        <location line="+22"/>
        <source>Can’t decode %1.</source>
        <translation>%1 kann nicht dekodiert werden.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 can’t be made smaller than about %2 without falling below %3 pixels.</source>
        <translation>%1 kann nicht kleiner als etwa %2 werden, ohne unter %3 Pixel zu fallen.</translation>
    </message>
</context>
<context>
    <name>WebArchive</name>
    <message>
        <location filename="../src/engines/documents/WebArchive.cpp" line="+71"/>
        <source>%1 isn’t a readable web archive.</source>
        <translation>%1 ist kein lesbares Webarchiv.</translation>
    </message>
</context>
<context>
    <name>WheelMode</name>
    <message>
        <location filename="../src/core/WheelMode.cpp" line="+41"/>
        <source>Convert</source>
        <translation>Konvertieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Tools</source>
        <translation>Werkzeuge</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Actions</source>
        <translation>Aktionen</translation>
    </message>
</context>
<context>
    <name>WheelView</name>
    <message>
        <location filename="../src/ui/wheel/WheelView.cpp" line="+344"/>
        <source>Needs install</source>
        <translation>Installation nötig</translation>
    </message>
    <message numerus="yes">
        <location line="+82"/>
        <source>%n items</source>
        <translation>
            <numerusform>%n Objekt</numerusform>
            <numerusform>%n Objekte</numerusform>
        </translation>
    </message>
    <message>
        <location line="+8"/>
        <source>No options for these files</source>
        <translation>Keine Optionen für diese Dateien</translation>
    </message>
</context>
<context>
    <name>Xlsx</name>
    <message>
        <location filename="../src/converters/spreadsheet/Xlsx.cpp" line="+148"/>
        <source>%1 has more rows than a spreadsheet can hold (%2).</source>
        <translation>%1 hat mehr Zeilen, als eine Tabelle aufnehmen kann (%2).</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 has more columns than a spreadsheet can hold (%2).</source>
        <translation>%1 hat mehr Spalten, als eine Tabelle aufnehmen kann (%2).</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Cell %1%2 of %3 is longer than a spreadsheet cell can hold.</source>
        <translation>Zelle %1%2 von %3 ist länger, als eine Tabellenzelle aufnehmen kann.</translation>
    </message>
</context>
<context>
    <name>Xml</name>
    <message>
        <location filename="../src/engines/documents/Xml.cpp" line="+21"/>
        <source>%1 is damaged and can’t be read.</source>
        <translation>%1 ist beschädigt und kann nicht gelesen werden.</translation>
    </message>
</context>
<context>
    <name>ZipArchive</name>
    <message>
        <location filename="../src/engines/documents/ZipArchive.cpp" line="+28"/>
        <source>%1 holds more than can be opened.</source>
        <translation>%1 enthält mehr, als geöffnet werden kann.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1 is damaged or isn’t a ZIP container.</source>
        <translation>%1 ist beschädigt oder kein ZIP-Container.</translation>
    </message>
</context>
<context>
    <name>ZipWriter</name>
    <message>
        <location filename="../src/base/ZipWriter.cpp" line="+53"/>
        <source>“%1” couldn’t be written: %2.</source>
        <translation>„%1“ konnte nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <location line="+49"/>
        <location line="+64"/>
        <location line="+37"/>
        <source>%1 would be too large.</source>
        <translation>%1 wäre zu groß.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../src/main.cpp" line="+41"/>
        <source>The text layout part of Flingdial is missing. Reinstall Flingdial.</source>
        <translation>Das Modul für das Textlayout von Flingdial fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>The desktop part of Flingdial is missing. Reinstall Flingdial.</source>
        <translation>Das Modul für die Arbeitsumgebung von Flingdial fehlt. Installieren Sie Flingdial neu.</translation>
    </message>
</context>
</TS>
