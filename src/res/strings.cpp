#include "res/strings.h"

#include "res/commands.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <utility>

namespace kolvaro {
namespace {

struct Entry {
  int id;
  std::string_view text;
};

// Sorted by identifier; checked at compile time below.
// A plain array: deducing a std::array of this many entries exceeds clang's
// template nesting limit.
constexpr Entry kTable[] = {
    Entry{IDS_DOC_TEMPLATE,
          "Kolvaro-Album\nLeeres Kolvaroalbum\nKolvaro\nKolvaro-Album Dateien (*.kvo)\n.kvo\nKolvaro.Document\n"
          "Kolvaro File"},
    Entry{IDS_CHOOSE_FOLDER, "Verzeichnis auswählen"},
    Entry{IDS_TRANSACTION_FILTER, "Merisk Protokolldateien|mrklog*.xml|Alle Dateien (*.*)|*.*||"},
    Entry{IDS_PERSON_IMPORT_FILTER, "Textdateien (*.txt)|*.txt|Alle Dateien|*.*||"},
    Entry{IDS_ALL_THEMES, "<Alle>"},
    Entry{IDS_ALL_PERSONS, "<Alle>"},
    Entry{IDS_SORT_KEYS, "<keine>\nDatum\nGröße\nDateiname\n"},
    Entry{IDS_NO_THEME, "<kein Thema>"},
    Entry{IDS_NO_PERSON, "<ohne Person>"},
    Entry{ID_ASSIGN_THEMES, "Ordnet dem angezeigten Bild Themen zu\nThemen zuordnen"},
    Entry{ID_REMOVE_THEMES, "Entfernt die markierten Themen vom angezeigten Bild\nThema löschen"},
    Entry{ID_ADD_PERSON, "Markiert eine Person auf dem angezeigten Bild mit einem Rahmen\nPerson hinzufügen"},
    Entry{ID_REMOVE_PERSONS, "Entfernt die markierten Personen vom angezeigten Bild\nPerson löschen"},
    Entry{IDS_LOCK_INFO_DIALOG,
          "Hinweis: Sie haben das Sperren des Dialogs angefordert.\nSie können diesen Dialog nach dem Verlassen nicht "
          "mehr aufrufen.\n\nMöchten Sie die Sperre jetzt aktivieren?"},
    Entry{IDS_CONFIRMATION, "Bestätigung"},
    Entry{IDS_ONE_PICTURE_FOUND, "1 Bild gefunden"},
    Entry{IDS_NO_PICTURES_FOUND, "Keine Bilder gefunden"},
    Entry{IDS_PICTURES_FOUND, "%1!i! Bilder gefunden"},
    Entry{IDS_DELETE_THEME, "Möchten Sie dieses Thema wirklich löschen?\n"},
    Entry{IDS_DELETE_THEMES, "Möchten Sie diese Themen wirklich löschen?\n"},
    Entry{IDS_DELETE_THEME_CAPTION, "Thema löschen"},
    Entry{IDS_REMOVE_PERSONS, "Möchten Sie\n%1!s!von diesem Bild steichen?"},
    Entry{IDS_REMOVE_PERSON_CAPTION, "Person löschen"},
    Entry{IDS_PERSON_ALREADY_MARKED,
          "\nist bereits in der Datenbank eingetragen.\nSoll der Eintrag aktualisiert werden?"},
    Entry{IDS_DUPLICATE_CAPTION, "Doppelter Eintrag"},
    Entry{IDS_NEW_PERSON_CAPTION, "Neue Person"},
    Entry{IDS_NEW_PERSON_PROMPT, "Name eingeben:"},
    Entry{IDS_UNREGISTER_FILETYPE_MENU, "&Dateityp de-registrieren ..."},
    Entry{IDS_REGISTER_FILETYPE_MENU, "&Dateityp registrieren ..."},
    Entry{IDS_REGISTER_QUESTION,
          "Hiermit registrieren Sie die Dateiendung \n*.kvo für die Kolvaro-Anwendung.\nMöchten Sie Fortfahren?"},
    Entry{IDS_QUESTION_CAPTION, "Frage"},
    Entry{IDS_UNREGISTER_QUESTION,
          "Hiermit entfernen Sie die Dateiendung \n*.kvo für die Kolvaro-Anwendung.\nMöchten Sie Fortfahren?"},
    Entry{IDS_MANAGE_THEMES_CAPTION, "Themen verwalten"},
    Entry{IDS_MANAGE_THEMES_LABEL, "vorhandene Themen"},
    Entry{IDS_MANAGE_PERSONS_CAPTION, "Personen verwalten"},
    Entry{IDS_MANAGE_PERSONS_LABEL, "angelegte Personen"},
    Entry{IDS_FILE_ALREADY_IN_ALBUM, "Die Datei %1!s! ist bereits in der Datenbank abgelegt!"},
    Entry{IDS_FILES_ADDED, "%1!li! Dateien hinzugefügt."},
    Entry{IDS_COLLABORATION_MENU, "&Zusammenarbeit"},
    Entry{IDS_TRANSACTION_DAMAGED, "Transaktionsdatei ist beschädigt.\nKeine Änderungen vorgenommen!"},
    Entry{IDS_TRANSACTION_DISCARD, "Transaktionsdatei ist beschädigt.\nBitte alle Änderungen verwerfen!"},
    Entry{IDS_CHOOSE_TARGET_FOLDER, "Bitte Zielverzeichnis auswählen"},
    Entry{IDS_FILE_NOT_ACCESSIBLE, "Auf die Datei %1!s! kann nicht zugegriffen werden!"},
    Entry{IDS_NEW_THEME_PROMPT, "Thema eingeben:"},
    Entry{IDS_NEW_THEME_CAPTION, "Neues Thema"},
    Entry{IDS_DELETE_ENTRIES, "Möchten Sie\n\n%1!s!\nwirklich endgültig aus der Datenbank entfernen?"},
    Entry{IDS_SAFETY_QUERY, "Sicherheitsabfrage"},
    Entry{IDS_RENAME_THEME_PROMPT, "Thema umbenennen:"},
    Entry{IDS_RENAME_THEME_CAPTION, "Thema umbenennen"},
    Entry{IDS_RENAME_PERSON_PROMPT, "Namen ändern:"},
    Entry{IDS_RENAME_PERSON_CAPTION, "Namen ändern"},
    Entry{IDS_NO_PICTURE_SELECTED,
          "Kein Bild selektiert.\n\nEntweder ist kein Bild in der Datenbank oder die Suche hatte kein Ergebnis."},
    Entry{IDS_PAGE_SETUP_NEEDS_PICTURE,
          "Es wird kein Bild angezeigt.\nDie Seiteneinrichtung kann nur mit einem angezeigten Bild erfolgen!"},
    Entry{IDS_LAYOUT_PRESETS,
          "--- bitte Auswählen ---\nGanze Seite\n1/2 Seite oben\n1/2 Seite unten\n1/2 Seite links\n1/2 Seite rchts\n"
          "1/4 Seiten oben links\n1/4 Seite oben rechts\n1/4 Seite unten links\n1/4 Seite unten rechts\n"},
    Entry{IDS_PICTURE_FILE_MISSING, "Die Bilddatei wurde nicht gefunden:\n%1!s!"},
    Entry{IDS_PICTURE_FILE_UNREADABLE, "Die Datei kann nicht als Bild gelesen werden:\n%1!s!"},
    Entry{IDS_STATUS_PICTURES_ADDED, "Hinzugefügte Bilder: %1!i!. „Los!“ zeigt sie an."},
    Entry{IDS_STATUS_CHANGES_APPLIED, "Eingespielte Änderungen: %1!li!."},
    Entry{IDS_CAUSE_NOT_FOUND, "Die Datei oder der Ordner wurde nicht gefunden."},
    Entry{IDS_CAUSE_ACCESS_DENIED, "Zugriff verweigert."},
    Entry{IDS_CAUSE_DISK_FULL, "Auf dem Datenträger ist nicht genug Speicherplatz frei."},
    Entry{IDS_CAUSE_QUOTA_EXHAUSTED, "Ihr Speicherkontingent ist erschöpft."},
    Entry{IDS_CAUSE_READ_ONLY, "Der Datenträger ist schreibgeschützt."},
    Entry{IDS_CAUSE_TOO_LARGE, "Die Datei ist zu groß für den Zieldatenträger."},
    Entry{IDS_CAUSE_NAME_TOO_LONG, "Der Dateiname ist zu lang."},
    Entry{IDS_CAUSE_NOT_A_FOLDER, "Ein Teil des Pfades ist kein Ordner."},
    Entry{IDS_CAUSE_IS_A_FOLDER, "Das ist ein Ordner, keine Datei."},
    Entry{IDS_CAUSE_NOT_REGULAR, "Das ist keine gewöhnliche Datei."},
    Entry{IDS_CAUSE_IO_ERROR, "Beim Lesen oder Schreiben ist ein Ein-/Ausgabefehler aufgetreten."},
    Entry{IDS_CAUSE_BUSY, "Die Datei ist in Gebrauch."},
    Entry{IDS_CAUSE_TOO_MANY_OPEN, "Es sind zu viele Dateien geöffnet."},
    Entry{IDS_LOG_WRITE_FAILED,
          "Die Änderungs-Datei %1 kann nicht geschrieben werden.\n%2\nWeitere Änderungen werden nicht mehr "
          "aufgezeichnet."},
    Entry{IDS_LOG_DISK_FULL, "Der Datenträger ist voll."},
    Entry{IDS_LOG_ACCESS_DENIED, "Der Zugriff wurde verweigert."},
    Entry{IDS_LOG_FOLDER_NOT_FOUND, "Das Verzeichnis wurde nicht gefunden."},
    Entry{IDS_LOG_WRITE_ERROR, "Schreibfehler %1!i!."},
    Entry{IDS_NOT_A_REGULAR_FILE, "%1 ist keine gewöhnliche Datei."},
    Entry{IDS_REMOVED_NOT_TRASHED,
          "Das Bild wurde aus der Datenbank entfernt, aber %1 wurde nicht in den Papierkorb verschoben. %2"},
    Entry{IDS_REFUSE_NOT_HERE, "Der Name führt zu keiner Datei dieses Rechners (etwa ein Windows-Pfad)."},
    Entry{IDS_REFUSE_FOLDER, "Unter diesem Namen steht ein Ordner, keine Bilddatei."},
    Entry{IDS_REFUSE_SYMLINK, "Unter diesem Namen steht eine symbolische Verknüpfung; ihr Ziel bleibt unberührt."},
    Entry{IDS_REFUSE_SPECIAL,
          "Unter diesem Namen steht keine gewöhnliche Datei, sondern ein Gerät, eine Pipe oder ein Socket."},
    Entry{IDS_REFUSE_UNKNOWN, "Der Zustand der Datei lässt sich nicht abfragen."},
    Entry{IDS_STORED_NAME_REFUSED, "Die Datei %1 kann nicht in die Datenbank aufgenommen werden: %2"},
    Entry{IDS_NAME_NOT_UTF8,
          "Ihr Name ist kein gültiger UTF-8-Text (etwa Latin-1 aus einem alten Archiv) und ließe sich nicht "
          "unverändert speichern. Bitte benennen Sie die Datei um."},
    Entry{IDS_NAME_BACKSLASH,
          "Ihr Pfad enthält einen umgekehrten Schrägstrich (\\), den die Datenbank als Trennzeichen zwischen "
          "Ordnern liest. Bitte benennen Sie die Datei um."},
    Entry{IDS_NAME_DRIVE_FORM,
          "Ihr Name in der Datenbank würde als Windows-Laufwerk (etwa C:\\) gelesen und nicht zu dieser Datei "
          "führen. Bitte benennen Sie den Ordner um."},
    Entry{IDS_UNTITLED, "Unbenannt"},
    Entry{IDS_FILE_DESCRIBED, "%1, geändert am %2"},
    Entry{IDS_TARGET_FOLDER_NOT_FOUND, "Der Zielordner wurde nicht gefunden."},
    Entry{IDS_TARGET_NOT_A_FOLDER, "Das Ziel ist kein Ordner."},
    Entry{IDS_TRANSFER_PROGRESS, "%1\nnach %2"},
    Entry{IDS_SOURCE_NOT_A_FILE, "Das ist keine Datei."},
    Entry{IDS_SAME_FILE, "Quelle und Ziel sind dieselbe Datei."},
    Entry{IDS_FOLDER_OF_THAT_NAME, "Im Zielordner gibt es bereits einen Ordner dieses Namens."},
    Entry{IDS_MOVED_COPY_KEPT,
          "Die Datei „%1“ wurde nach „%2“ kopiert, konnte aber an ihrem alten Ort nicht gelöscht werden.\n\n%3"},
    Entry{IDS_REPLACE_FILE,
          "Im Ordner „%1“ gibt es bereits eine Datei „%2“.\n\n"
          "Soll die vorhandene Datei (%3) durch die neue (%4) ersetzt werden?"},
    Entry{IDS_MOVE_FAILED, "Die Datei „%1“ konnte nicht nach „%2“ verschoben werden.\n\n%3"},
    Entry{IDS_COPY_FAILED, "Die Datei „%1“ konnte nicht nach „%2“ kopiert werden.\n\n%3"},
    Entry{IDS_TRASH_REFUSED, "Die Datei „%1“ konnte nicht in den Papierkorb verschoben werden. %2"},
    Entry{IDS_TRASH_FILE_MISSING, "Die Datei wurde nicht gefunden."},
    Entry{IDS_TRASH_FAILED, "Die Datei „%1“ konnte nicht in den Papierkorb verschoben werden."},
    Entry{IDS_ALBUM_BUSY, "%1 wird gerade von einem anderen Programm bearbeitet. Bitte später noch einmal speichern."},
    Entry{IDS_ALBUM_CHANGED_ON_DISK,
          "%1 wurde seit dem Öffnen oder letzten Speichern von einem anderen Programm geändert.\n\n"
          "Soll die andere Änderung überschrieben werden?\n\n"
          "Ja: überschreiben\nNein: unter einem anderen Namen speichern\nAbbrechen: nicht speichern"},
    Entry{IDS_SAVE_AS_TITLE, "Speichern unter"},
    Entry{IDS_OPEN_RECENT_PROMPT, "Dieses Album öffnen"},
    Entry{IDS_TRANSACTION_NOT_REGULAR,
          "Die Änderungsdatei %1 ist keine gewöhnliche Datei, sondern ein Ordner, ein Gerät, eine Pipe oder ein "
          "Socket.\nKeine Änderungen vorgenommen!"},
    Entry{IDS_NOT_A_FOLDER, "%1 ist kein Verzeichnis."},
    Entry{IDS_UNKNOWN_OPTION, "Unbekannte Option: %1\nHilfe mit: kolvaro --help"},
    Entry{IDS_ONE_ALBUM_ONLY, "Es kann nur ein Album geöffnet werden: %1"},
    Entry{IDS_USAGE,
          "Aufruf: kolvaro [OPTION] [ALBUM.kvo]\n"
          "Kolvaro, der Katalog für digitale Photos.\n"
          "\n"
          "Ohne ALBUM öffnet Kolvaro das zuletzt benutzte Album.\n"
          "\n"
          "Optionen:\n"
          "  -h, --help           diese Hilfe anzeigen und beenden\n"
          "  -v, --version        die Version anzeigen und beenden\n"
          "      --quit-after-show  beenden, sobald das Hauptfenster gezeigt ist\n"},
    Entry{IDS_OPEN_TITLE, "Öffnen"},
    Entry{IDS_CLI_CANNOT_TRASH, "%1 kann nicht in den Papierkorb verschoben werden"},
    Entry{IDS_CLI_NO_HOME, "Kein persönlicher Ordner bekannt."},
    Entry{IDS_CLI_TRASH_NOT_CREATED, "Der Papierkorb %1 lässt sich nicht anlegen."},
    Entry{IDS_CLI_OTHER_FILE_SYSTEM, "Die Datei liegt nicht im Dateisystem des persönlichen Ordners."},
    Entry{IDS_CLI_CANNOT_WRITE, "%1 lässt sich nicht schreiben."},
    Entry{IDS_CLI_NO_FREE_NAME, "Kein freier Name im Papierkorb."},
    Entry{IDS_CLI_CANNOT_OPEN, "%1 kann in kolvaro-cli nicht mit einem Programm geöffnet werden."},
    Entry{IDS_TOOLBAR_TITLE, "Symbolleiste"},
    Entry{IDS_WINDOW_TITLE, "Kolvaro-Album"},
    Entry{IDS_NEW_ALBUM_NAME, "Leeres Kolvaroalbum"},
    Entry{IDS_ALBUM_FILTER, "Kolvaro-Album Dateien (*.kvo)|*.kvo|Alle Dateien (*.*)|*.*||"},
    Entry{IDS_SELECT_THEME_LABEL, "Zeige Photos mit ... Thema:"},
    Entry{IDS_SELECT_PERSON_LABEL, "Person:"},
    Entry{IDS_SELECT_SORT_LABEL, "sortiere nach:"},
    Entry{IDS_SELECT_GO, "Los!"},
    Entry{IDS_MAIN_WINDOW_SHOWN, "Hauptfenster \"%1\" gezeigt nach %2!lld! ms"},
    Entry{IDS_PROGRAM_MESSAGE, "kolvaro: %1"},
    Entry{IDS_CHOOSE_PICTURE_FOLDER, "Bitte Verzeichnis auswählen"},
    Entry{IDS_CLI_WRONG_USAGE, "Falscher Aufruf.\nAufruf: kolvaro-cli %1\nHilfe:  kolvaro-cli --help"},
    Entry{IDS_CLI_GENERAL_USAGE, "%1\nAufruf: kolvaro-cli BEFEHL ARGUMENTE...\nHilfe:  kolvaro-cli --help"},
    Entry{IDS_CLI_NO_COMMAND, "Kein Befehl angegeben."},
    Entry{IDS_CLI_UNKNOWN_COMMAND, "Unbekannter Befehl: %1"},
    Entry{IDS_CLI_UNKNOWN_OPTION, "Unbekannte Option: %1"},
    Entry{IDS_CLI_VERSION_NO_ARGUMENTS, "--version erwartet keine Argumente."},
    Entry{IDS_CLI_HELP_HEAD,
          "Aufruf: kolvaro-cli BEFEHL ARGUMENTE...\n"
          "        kolvaro-cli BEFEHL --help\n"
          "        kolvaro-cli --help | --version\n"
          "\n"
          "Bearbeitet Kolvaro-Alben (*.kvo) ohne Oberfläche.\n"
          "\n"
          "Befehle:\n"},
    Entry{IDS_CLI_HELP_TAIL,
          "\n"
          "Optionen:\n"
          "  -h, --help     diese Hilfe anzeigen\n"
          "      --version  Versionsinformation anzeigen\n"
          "\n"
          "Rückgabewert: 0 bei Erfolg, 1 bei einem Fehler (Meldung auf der\n"
          "Standardfehlerausgabe), 2 bei falschem Aufruf.\n"
          "Einstellungen werden aus ~/.config/Kolvaro/Kolvaro.conf gelesen.\n"},
    Entry{IDS_CLI_COMMAND_HELP, "Aufruf: kolvaro-cli %1\n\n%2"},
    Entry{IDS_CLI_OUT_OF_MEMORY, "Nicht genügend Arbeitsspeicher."},
    Entry{IDS_CLI_INTERNAL_ERROR, "Interner Fehler: %1"},
    Entry{IDS_CLI_OUTPUT_FAILED, "Fehler beim Schreiben der Ausgabe."},
    Entry{IDS_CLI_NEW_FAILED, "Fehler beim Anlegen des Dokuments."},
    Entry{IDS_CLI_ALBUM_LOCKED,
          "%1 wird gerade von einem anderen Befehl bearbeitet; das Warten darauf wurde abgebrochen. Bitte später "
          "noch einmal versuchen."},
    Entry{IDS_CLI_NO_SAVE_NAME, "Kein Dateiname zum Speichern angegeben."},
    Entry{IDS_CLI_ALREADY_EXISTS, "%1 existiert bereits."},
    Entry{IDS_CLI_OUTPUT_NOT_WRITTEN, "Die Ausgabe konnte nicht geschrieben werden."},
    Entry{IDS_CLI_LOG_NOT_CREATED, "In %1 kann keine Änderungsdatei angelegt werden."},
    Entry{IDS_CLI_LOG_INCOMPLETE, "Die Änderungsdatei %1 ist unvollständig: %2"},
    Entry{IDS_CLI_NO_SUCH_PICTURE, "Das Album enthält kein Bild %1."},
    Entry{IDS_CLI_NO_SUCH_PERSON, "Das Album enthält keine Person %1."},
    Entry{IDS_CLI_NO_SUCH_THEME, "Das Album enthält kein Thema %1."},
    Entry{IDS_CLI_BAD_DATE, "Ungültiges Datum: %1 (erwartet JJJJ-MM-TT HH:MM:SS)."},
    Entry{IDS_CLI_NOT_IN_THEME, "Das Bild %1 gehört nicht zum Thema %2."},
    Entry{IDS_CLI_BAD_RECTANGLE, "Das Rechteck braucht LINKS <= RECHTS und OBEN <= UNTEN."},
    Entry{IDS_CLI_NOT_MARKED, "Die Person %1 ist auf Bild %2 nicht markiert."},
    Entry{IDS_CLI_NO_EXIF_TAG, "%1: kein EXIF-Merkmal %2."},
    Entry{IDS_CLI_CHANGES_APPLIED, "%1 Änderungen eingespielt."},
    Entry{IDS_CLI_APPLIED_KEPT, "Die %1 bis dahin eingespielten Änderungen wurden gespeichert."},
    Entry{IDS_CLI_ALBUM_NOT_SAVED, "Das Album wurde nicht gespeichert."},
    Entry{IDS_CLI_PICTURE_MISSING, "Bild %1 fehlt: %2"},
    Entry{IDS_CLI_NO_FILE_NAME, "(kein Dateiname)"},
    Entry{IDS_CLI_STORED_AS, " (gespeichert als %1)"},
    Entry{IDS_CLI_NO_PICTURES, "Das Album enthält keine Bilder."},
    Entry{IDS_CLI_ONE_FILE_FOUND, "Die Bilddatei wurde gefunden."},
    Entry{IDS_CLI_ALL_FILES_FOUND, "Alle %1 Bilddateien wurden gefunden."},
    Entry{IDS_CLI_ONE_FILE_MISSING, "%1 von %2 Bilddateien fehlt."},
    Entry{IDS_CLI_FILES_MISSING, "%1 von %2 Bilddateien fehlen."},
    Entry{IDS_CLI_INFO_ALBUM, "Album:"},
    Entry{IDS_CLI_INFO_VERSION, "Dateiversion:"},
    Entry{IDS_CLI_INFO_PICTURES, "Bilder:"},
    Entry{IDS_CLI_INFO_PERSONS_ON_PICTURES, "Personen auf Bildern:"},
    Entry{IDS_CLI_INFO_PERSONS, "Personen:"},
    Entry{IDS_CLI_INFO_THEMES_OF_PICTURES, "Themen der Bilder:"},
    Entry{IDS_CLI_INFO_THEMES, "Themen:"},
    Entry{IDS_CLI_INFO_STORAGE_MODE, "Dateiablage:"},
    Entry{IDS_CLI_INFO_STORAGE_FOLDER, "Ablageverzeichnis:"},
    Entry{IDS_CLI_INFO_BASE_FOLDER, "Bilder relativ zu:"},
    Entry{IDS_CLI_INFO_DESCRIPTION, "Beschreibung:"},
    Entry{IDS_CLI_INFO_UPDATE_URL, "URL für Update:"},
    Entry{IDS_CLI_INFO_DIALOG, "Album-Info-Dialog:"},
    Entry{IDS_CLI_INFO_MODE_PICTURE_FOLDER, "0 (Kolvaro-Datei liegt im Bilderverzeichnis)"},
    Entry{IDS_CLI_INFO_MODE_FOLDER, "1 (Kolvaro für Verzeichnis ...)"},
    Entry{IDS_CLI_INFO_MODE_UNKNOWN, "%1 (unbekannt)"},
    Entry{IDS_CLI_INFO_NO_STORAGE_FOLDER, "(keines)"},
    Entry{IDS_CLI_INFO_NO_BASE_FOLDER, "(keinem Verzeichnis)"},
    Entry{IDS_CLI_INFO_EMPTY, "(leer)"},
    Entry{IDS_CLI_INFO_DIALOG_ENABLED, "freigegeben"},
    Entry{IDS_CLI_INFO_DIALOG_LOCKED, "gesperrt"},

// The commands that change an album log what they change when asked to.
#define KOLVARO_CLI_LOGGED " Mit --log-folder VERZEICHNIS wird die Änderung dort in einer Änderungsdatei festgehalten."
    Entry{IDS_CLI_USAGE_ADD, "add ALBUM DATEI... [--log-folder VERZEICHNIS]"},
    Entry{IDS_CLI_ABOUT_ADD,
          "Nimmt Bilddateien ins Album auf (Aufnahmedatum aus EXIF, sonst Erstellungszeit); schon enthaltene werden "
          "gemeldet. Dateien, deren Namen das Album nicht unverändert speichern kann, werden abgewiesen "
          "(Exit-Code 1)."},
    Entry{IDS_CLI_USAGE_ADD_FOLDER, "add-folder ALBUM VERZEICHNIS [--log-folder VERZEICHNIS]"},
    Entry{IDS_CLI_ABOUT_ADD_FOLDER,
          "Nimmt alle Bild- und Videodateien des Verzeichnisses ins Album auf (JPEG, HEIC/HEIF, PNG, WebP, TIFF, "
          "GIF, BMP, RAW von Kameras, MP4, MOV, AVI; erkannt an der Endung), ohne Unterverzeichnisse; schon "
          "enthaltene werden übergangen."},
    Entry{IDS_CLI_USAGE_CHECK, "check ALBUM"},
    Entry{IDS_CLI_ABOUT_CHECK, "Listet die Bilder, deren Datei nicht gefunden wird (Rückgabewert 1, wenn eine fehlt)."},
    Entry{IDS_CLI_USAGE_DATE, "date ALBUM BILD \"JJJJ-MM-TT HH:MM:SS\""},
    Entry{IDS_CLI_ABOUT_DATE, "Setzt das Aufnahmedatum eines Bildes." KOLVARO_CLI_LOGGED},
    Entry{IDS_CLI_USAGE_DELETE, "delete ALBUM NUMMER [--trash] [--log-folder VERZEICHNIS]"},
    Entry{IDS_CLI_ABOUT_DELETE,
          "Entfernt das Bild mit seinen Themen und Personen aus dem Album; mit --trash kommt die Datei in den "
          "Papierkorb, nur eine gewöhnliche Datei (kein Ordner, keine Verknüpfung), die ihrem Inhalt nach ein Bild "
          "oder Video ist (JPEG, HEIC, PNG, WebP, TIFF, GIF, BMP, RAW, MP4, MOV, AVI); sonst bleibt sie, mit "
          "Meldung und Exit-Code 1."},
    Entry{IDS_CLI_USAGE_DUMP, "dump ALBUM"},
    Entry{IDS_CLI_ABOUT_DUMP,
          "Gibt das ganze Album als JSON (UTF-8) aus, Tabellen und Einträge in der Reihenfolge der Datei."},
    Entry{IDS_CLI_USAGE_EXIF, "exif DATEI [MERKMAL]"},
    Entry{IDS_CLI_ABOUT_EXIF,
          "Gibt den Text eines EXIF-Merkmals der Bilddatei aus (Vorgabe: 36867, Aufnahmedatum); bei MP4 und MOV "
          "nur das Aufnahmedatum, die Erstellungszeit des Films in Ortszeit."},
    Entry{IDS_CLI_USAGE_IMPORT_PERSONS, "import-persons ALBUM TEXTDATEI"},
    Entry{IDS_CLI_ABOUT_IMPORT_PERSONS,
          "Legt für jede Zeile der Textdatei eine Person an. Mit --log-folder VERZEICHNIS werden die Personen dort "
          "in einer Änderungsdatei festgehalten."},
    Entry{IDS_CLI_USAGE_INFO, "info ALBUM"},
    Entry{IDS_CLI_ABOUT_INFO,
          "Zeigt Dateiversion, Anzahl der Einträge je Tabelle, Dateiablage, Album-Info, Update-URL und Sperre des "
          "Info-Dialogs."},
    Entry{IDS_CLI_USAGE_MARK, "mark ALBUM PERSON BILD LINKS OBEN RECHTS UNTEN"},
    Entry{IDS_CLI_ABOUT_MARK, "Markiert eine Person auf einem Bild (Rechteck in Bildpunkten)." KOLVARO_CLI_LOGGED},
    Entry{IDS_CLI_USAGE_NEW, "new ALBUM"},
    Entry{IDS_CLI_ABOUT_NEW, "Legt ALBUM als neues, leeres Album an (eine vorhandene Datei wird nicht überschrieben)."},
    Entry{IDS_CLI_USAGE_PERSON, "person add|rename|remove ALBUM ..."},
    Entry{IDS_CLI_ABOUT_PERSON,
          "add ALBUM NAME legt eine Person an und gibt ihre Nummer aus, rename ALBUM NUMMER NAME benennt sie um, "
          "remove ALBUM NUMMER entfernt sie mit ihren Markierungen." KOLVARO_CLI_LOGGED},
    Entry{IDS_CLI_USAGE_REPLAY, "replay ALBUM ÄNDERUNGSDATEI [--keep-applied]"},
    Entry{IDS_CLI_ABOUT_REPLAY,
          "Spielt die Änderungsdatei eines anderen Bearbeiters ein und speichert das Album; bei einer beschädigten "
          "Datei wird nichts gespeichert, mit --keep-applied bleiben die bis dahin eingespielten Änderungen."},
    Entry{IDS_CLI_USAGE_SAVE, "save ALBUM [ZIEL]"},
    Entry{IDS_CLI_ABOUT_SAVE,
          "Öffnet ALBUM und speichert es wieder, oder unter ZIEL (Datei oder Verzeichnis); relative Bildpfade "
          "werden dabei neu berechnet."},
    Entry{IDS_CLI_USAGE_SELECT,
          "select ALBUM [--theme ID] [--person ID] [--sort SCHLÜSSEL] [--search TEXT]"},
    Entry{IDS_CLI_ABOUT_SELECT,
          "Gibt die ausgewählten Bildnummern in Reihenfolge aus, eine je Zeile (Thema/Person: 0 alle, -2 ohne; "
          "Sortierung: 1 Dateiname, 2 Datum, 3 Größe; Suche: jedes Wort muss in Überschrift, Dateiname, "
          "einem Thema oder einer Person des Bildes vorkommen)."},
    Entry{IDS_CLI_USAGE_THEME, "theme add|rename|remove|assign|unassign ALBUM ..."},
    Entry{IDS_CLI_ABOUT_THEME,
          "add ALBUM NAME legt ein Thema an und gibt seine Nummer aus, rename ALBUM NUMMER NAME benennt es um, "
          "remove ALBUM NUMMER entfernt es; assign bzw. unassign ALBUM THEMA BILD ordnet ihm ein Bild zu oder "
          "nimmt es heraus." KOLVARO_CLI_LOGGED},
    Entry{IDS_CLI_USAGE_TITLE, "title ALBUM BILD TEXT"},
    Entry{IDS_CLI_ABOUT_TITLE, "Setzt die Überschrift eines Bildes." KOLVARO_CLI_LOGGED},
    Entry{IDS_CLI_USAGE_UNMARK, "unmark ALBUM PERSON BILD"},
    Entry{IDS_CLI_ABOUT_UNMARK, "Entfernt die Markierung einer Person auf einem Bild." KOLVARO_CLI_LOGGED},
#undef KOLVARO_CLI_LOGGED

    Entry{IDS_SORT_SPECIAL, "<Spezial ...>"},
    Entry{IDS_PICTURE_WND_TITLE, "Bild"},
    Entry{IDS_PICTURE_WND_PREV, "&<"},
    Entry{IDS_PICTURE_WND_NEXT, "&>"},
    Entry{IDS_CLI_USAGE_STORAGE, "storage ALBUM [--mode 0|1] [--folder VERZEICHNIS]"},
    Entry{IDS_CLI_ABOUT_STORAGE,
          "Zeigt die Dateiablage; mit --mode (0 = Bilder im Verzeichnis der Album-Datei, 1 = im Verzeichnis) und "
          "--folder wird sie geändert, die Bildpfade werden beim Speichern umgerechnet."},
    Entry{IDS_CLI_USAGE_RELOCATE, "relocate ALBUM VON NACH"},
    Entry{IDS_CLI_ABOUT_RELOCATE,
          "Ersetzt den Anfang VON aller gespeicherten Bildpfade, die mit VON beginnen (mit Groß-/Kleinschreibung), "
          "durch NACH und gibt aus, wie viele sich geändert haben; für relative Pfade gilt / wie \\."},
    Entry{IDS_CLI_USAGE_MISSING, "missing ALBUM"},
    Entry{IDS_CLI_ABOUT_MISSING,
          "Listet Nummer und gespeicherten Namen jedes Bildes, dessen Datei nicht dort ist, wo das Album sie "
          "erwartet (Ende mit Status 1, wenn eines fehlt)."},
    Entry{IDS_CLI_PATHS_CHANGED, "%1 Pfadangaben geändert."},
    Entry{IDS_COPY_SAME_FILE, "Die Datei %1!s! liegt bereits in diesem Verzeichnis."},
    Entry{IDS_COPY_PICTURE_TITLE, "Bild kopieren ..."},
    Entry{IDS_CAMERA_TRANSFER_TITLE, "Kameradaten übertragen..."},
    Entry{IDS_CAMERA_PROGRESS, "Datei %1 von %2 (%3 von %4)\n%5"},
    Entry{IDS_CAMERA_SIZE_BYTES, "%1 Bytes"},
    Entry{IDS_CAMERA_SUMMARY,
          "%1!li! Dateien ins Album aufgenommen, %2!li! waren schon darin, %3!li! sind auf der Karte geblieben."},
    Entry{IDS_CAMERA_STOPPED, "Die Übertragung wurde vorzeitig beendet; die übrigen Dateien sind auf der Karte geblieben."},
    Entry{IDS_CAMERA_REPLACE_KEPT,
          "Im Albumordner gibt es bereits eine Datei %1!s!; sie wird nicht ersetzt, die Datei bleibt auf der Karte."},
    Entry{IDS_CLI_USAGE_CAMERA_IMPORT,
          "camera-import ALBUM QUELLE [--move] [--theme NUMMER] [--log-folder VERZEICHNIS]"},
    Entry{IDS_CLI_ABOUT_CAMERA_IMPORT,
          "Übernimmt die Bilder und Videos einer Speicherkarte (die Quelle selbst, DCIM\\*, MSSONY\\*, DC*, QVIM*) "
          "in den Ordner des Albums, kopiert oder mit --move verschoben, und ordnet sie auf Wunsch dem Thema zu."},
    Entry{IDS_CAMERA_NO_FILES, "In %1!s! wurden keine Bilder oder Videos gefunden."},
    Entry{IDS_CAMERA_SYNC_FAILED,
          "Die übertragenen Dateien konnten nicht sicher nach %1!s! geschrieben werden.\n%2!s!\n\n"
          "Bitte löschen Sie die Karte nicht, bevor die Bilder geprüft sind."},
    Entry{IDS_FILETYPE_APP_NAME, "Kolvaro-Album"},
    Entry{IDS_FILETYPE_DESCRIPTION, "Fotoalbum von Kolvaro: Bilder mit Themen und Personen katalogisieren"},
    Entry{IDS_FILETYPE_FAILED, "Der Dateityp *.kvo konnte nicht vollständig eingetragen oder entfernt werden:\n%1"},
    Entry{IDS_LINK_FAILED, "Unable to open hyperlink:\n\n"},
    Entry{IDS_LINK_ERROR_0, "The operating system is out\nof memory or resources."},
    Entry{IDS_LINK_ERROR_2, "The specified file was not found."},
    Entry{IDS_LINK_ERROR_3, "The specified path was not found."},
    Entry{IDS_LINK_ERROR_5, "The operating system denied\naccess to the specified file."},
    Entry{IDS_LINK_ERROR_8, "There was not enough memory to complete the operation."},
    Entry{IDS_LINK_ERROR_11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    Entry{IDS_LINK_ERROR_26, "A sharing violation occurred. "},
    Entry{IDS_LINK_ERROR_27, "The filename association is\nincomplete or invalid."},
    Entry{IDS_LINK_ERROR_28, "The DDE transaction could not\nbe completed because the request timed out."},
    Entry{IDS_LINK_ERROR_29, "The DDE transaction failed."},
    Entry{IDS_LINK_ERROR_30,
          "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
    Entry{IDS_LINK_ERROR_31, "There is no application associated\nwith the given filename extension."},
    Entry{IDS_LINK_ERROR_32, "The specified dynamic-link library was not found."},
    Entry{IDS_LINK_ERROR_UNKNOWN, "Unknown Error (%d) occurred."},
    Entry{IDS_ABOUT_TITLE, "Info über Kolvaro-Album"},
    Entry{IDS_HELP_TITLE, "Kolvaro-Hilfe"},
    Entry{IDS_HELP_CONTENTS, "&Inhalt"},
    Entry{IDS_HELP_BACK, "&Zurück"},
    Entry{IDS_HELP_FORWARD, "&Vorwärts"},
    Entry{IDS_HELP_MISSING, "Die Hilfeseiten von Kolvaro wurden nicht gefunden. Sie gehören in den Ordner %1."},
    Entry{IDS_STRIP_FILE_MISSING, "Datei fehlt"},
    Entry{IDS_STRIP_FILE_UNREADABLE, "Datei nicht lesbar"},
    Entry{IDS_CLI_USAGE_THUMBNAILS, "thumbnails ALBUM [--large]"},
    Entry{IDS_CLI_ABOUT_THUMBNAILS,
          "Legt für jedes Bild des Albums ein Vorschaubild im gemeinsamen Vorschaubild-Speicher an "
          "(~/.cache/thumbnails, 128 Pixel, mit --large 256 Pixel) und meldet, wie viele neu erstellt wurden, "
          "schon vorhanden waren oder fehlschlugen (dann Exit-Code 1)."},
    Entry{IDS_CLI_THUMBNAILS_PROGRESS, "Vorschaubilder: %1!i! von %2!i!"},
    Entry{IDS_CLI_THUMBNAILS_SUMMARY, "%1!i! Vorschaubilder erstellt, %2!i! schon vorhanden, %3!i! fehlgeschlagen."},
    Entry{IDS_PRINT_FILE_UNREADABLE,
          "Die Bilddatei %1!s! kann nicht gelesen werden.\nEs wird nichts gedruckt."},

    Entry{IDS_XMP_FILE_ERROR, "%1!s!: %2!s!"},
    Entry{IDS_XMP_READ_ONLY, "%1!s! ist schreibgeschützt; die XMP-Daten wurden dort nicht geschrieben."},
    Entry{IDS_XMP_NOT_READABLE, "Die XMP-Daten von %1!s! können nicht gelesen werden. %2!s!"},
    Entry{IDS_XMP_NOT_WRITTEN, "Die XMP-Daten von %1!s! konnten nicht geschrieben werden."},
    Entry{IDS_XMP_NO_PICTURE_SIZE, "Die Bildgröße von %1!s! ist nicht bekannt."},
    Entry{IDS_XMP_REGION_NOT_FACE,
          "%1!s!: Der Bereich \"%3!s!\" vom Typ \"%2!s!\" ist keine Gesichtsmarkierung und wurde übersprungen."},
    Entry{IDS_XMP_REGION_NO_NAME, "%1!s!: Eine Gesichtsmarkierung ohne Namen wurde übersprungen."},
    Entry{IDS_XMP_REGION_BAD_AREA, "%1!s!: Die Markierung von \"%2!s!\" hat keine gültige Fläche und wurde übersprungen."},
    Entry{IDS_XMP_IMPORT_SUMMARY,
          "Aus den XMP-Daten von %1!i! Bildern würden übernommen:\n"
          "neue Personen: %2!i!\nneue Markierungen: %3!i!\ngeänderte Markierungen: %4!i!\n"
          "neue Themen: %5!i!\nneue Themenzuordnungen: %6!i!\nneue oder geänderte Überschriften: %7!i!"},
    Entry{IDS_XMP_NEW_PERSONS, "Neue Personen: %1!s!"},
    Entry{IDS_XMP_NOTHING_NEW, "Die XMP-Daten der Bilder enthalten nichts, was das Album nicht schon hat."},
    Entry{IDS_XMP_EXPORTED, "XMP-Daten von %1!i! Bildern geschrieben."},
    Entry{IDS_XMP_PROBLEMS, "Nicht alles konnte übernommen werden:"},
    Entry{IDS_XMP_EXPORT_CAPTION, "XMP exportieren"},
    Entry{IDS_XMP_IMPORT_CAPTION, "XMP importieren"},
    Entry{IDS_XMP_PROGRESS_READ, "XMP-Daten werden gelesen ..."},
    Entry{IDS_XMP_PROGRESS_WRITE, "XMP-Daten werden geschrieben ..."},
    Entry{IDS_XMP_EMBED_WARNING,
          "Achtung: Dabei werden die Originalbilder verändert. Kolvaro ersetzt nur den XMP-Block; EXIF-Daten, "
          "Bilddaten und alles andere bleiben Byte für Byte erhalten."},
    Entry{IDS_XMP_SCOPE_SELECTION, "Bilder der &Auswahl (%1!i!)"},
    Entry{IDS_XMP_SCOPE_ALBUM, "&ganzes Album (%1!i!)"},
    Entry{IDS_XMP_SIDECAR_LABEL, "&Begleitdatei:"},
    Entry{IDS_XMP_EMBED_CHOICE, "XMP auch in die &Bilddateien schreiben"},
    Entry{IDS_XMP_NO_SIDECAR, "keine"},
    Entry{IDS_XMP_APPLY_QUESTION, "Sollen diese Änderungen übernommen werden?"},
    Entry{IDS_XMP_CANCELLED, "Abgebrochen; das Album wurde nicht geändert."},
    Entry{IDS_XMP_CANCELLED_EXPORT, "Abgebrochen; die übrigen Bilder wurden nicht bearbeitet."},
    Entry{IDS_XMP_MORE_PROBLEMS, "... und %1!i! weitere"},
    Entry{IDS_XMP_NEW_THEMES, "Neue Themen: %1!s!"},
    Entry{IDS_XMP_REGION_OUTSIDE,
          "%1!s!: Die Markierung von \"%2!s!\" liegt außerhalb des Bildes und wurde übersprungen."},
    Entry{IDS_XMP_SIDECAR_SHARED,
          "%1!s! gehört zu mehreren Bildern gleichen Namens und wurde keinem zugeordnet. Eine Begleitdatei mit "
          "der Endung des Bildes (bild.jpg.xmp) ist eindeutig."},
    Entry{IDS_XMP_KEYWORDS_NOT_TAKEN,
          "%1!s!: Diese Stichwörter fehlen in der Stichwortliste (dc:subject) und wurden nicht als Themen "
          "übernommen: %2!s!"},
    Entry{IDS_XMP_IMPORT_APPLIED,
          "Aus den XMP-Daten von %1!i! Bildern übernommen:\n"
          "neue Personen: %2!i!\nneue Markierungen: %3!i!\ngeänderte Markierungen: %4!i!\n"
          "neue Themen: %5!i!\nneue Themenzuordnungen: %6!i!\nneue oder geänderte Überschriften: %7!i!"},
    Entry{IDS_CLI_MARK_OUTSIDE, "Das Rechteck liegt nicht auf dem Bild (%1!i! x %2!i! Pixel)."},
    Entry{IDS_XMP_LIBRARY_FAILURE, "Die Datei ist beschädigt oder kein Bild, dessen Metadaten Kolvaro lesen kann."},
    Entry{IDS_CLI_USAGE_XMP_EXPORT, "xmp-export ALBUM [--sidecar bild.jpg.xmp|bild.xmp|keine] [--embed]"},
    Entry{IDS_CLI_ABOUT_XMP_EXPORT,
          "Schreibt Personen (als Gesichtsbereiche), Themen (als Stichwörter) und Überschriften aller Bilder als "
          "XMP in Begleitdateien (Vorgabe bild.jpg.xmp); mit --embed auch in die Bilddateien selbst."},
    Entry{IDS_CLI_USAGE_XMP_IMPORT, "xmp-import ALBUM [--dry-run] [--log-folder VERZEICHNIS]"},
    Entry{IDS_CLI_ABOUT_XMP_IMPORT,
          "Liest Gesichtsbereiche, Stichwörter und Titel aus XMP-Begleitdateien und Bildern aller Bilder, zeigt die "
          "Zusammenfassung und übernimmt sie (mit --dry-run nicht). Mit --log-folder VERZEICHNIS werden die "
          "Änderungen dort in einer Änderungsdatei festgehalten."},
    Entry{IDS_CLI_BAD_SIDECAR_FORM, "Unbekannte Form der Begleitdatei: %1!s! (bild.jpg.xmp, bild.xmp oder keine)"},
    Entry{IDS_CLI_XMP_DRY_RUN, "Probelauf: das Album wurde nicht geändert."},
    Entry{IDS_XMP_SIDECAR_IS_LINK, "%1!s! ist eine symbolische Verknüpfung; Kolvaro schreibt XMP-Daten nicht durch sie hindurch."},
    Entry{IDS_XMP_SIDECAR_NOT_FILE, "%1!s! ist keine gewöhnliche Datei (sondern ein Ordner, eine Pipe oder ein Gerät); die XMP-Daten wurden dort nicht geschrieben."},
    Entry{IDS_XMP_SIDECAR_TOO_LARGE, "%1!s! ist größer als 16 MiB und damit keine XMP-Begleitdatei; sie wurde weder gelesen noch geändert."},
    Entry{IDS_XMP_EMBED_HARD_LINKS, "%1!s! hat mehrere harte Links; das Bild bleibt deshalb unverändert."},
    Entry{IDS_XMP_EMBED_FOLDER_LOCKED, "Im Ordner von %1!s! kann keine neue Datei angelegt werden; das Bild bleibt deshalb unverändert."},
    Entry{IDS_XMP_EMBED_TOO_LARGE, "Die XMP-Daten von %1!s! sind größer als die 64 KiB, die in ein JPEG-Segment passen; das Bild bleibt unverändert."},
    Entry{IDS_XMP_EMBED_NOT_JPEG, "%1!s! ist keine JPEG-Datei; XMP-Daten schreibt Kolvaro nur in JPEG-Dateien."},
    Entry{IDS_XMP_EMBED_DAMAGED, "Der Aufbau der JPEG-Datei %1!s! ist beschädigt; das Bild bleibt unverändert."},
    Entry{IDS_XMP_EMBED_CHANGED, "%1!s! wurde während des Schreibens von einem anderen Programm ersetzt; diese Fassung bleibt, wie sie ist."},
    Entry{IDS_XMP_IN_SIDECAR_INSTEAD, "Die XMP-Daten stehen stattdessen in der Begleitdatei %1!s!."},

    Entry{IDS_SAVE_RESTORED,
          "Das letzte Speichern von %1!s! wurde unterbrochen. Das Album wurde wiederhergestellt, "
          "wie es vor diesem Speichern war."},
    Entry{IDS_SAVE_NOT_RESTORED,
          "Das letzte Speichern von %1!s! wurde unterbrochen, und das Album konnte nicht "
          "wiederhergestellt werden. Seine Fassung vor diesem Speichern liegt in %2!s!."},
    Entry{IDS_JOURNAL_NOT_WRITTEN,
          "Vor dem Speichern von %1!s! konnte keine Sicherungskopie in %2!s! angelegt werden. %3!s!\n"
          "Das Album wurde nicht verändert."},
    Entry{IDS_CAMERA_SOURCE_CHANGED,
          "%1!s! hat sich während der Übertragung geändert und bleibt auf der Karte; die Kopie im "
          "Album enthält nur den Stand vom Beginn der Übertragung."},
    Entry{IDS_CAMERA_LINK_SKIPPED, "%1!s! ist eine symbolische Verknüpfung und wurde übergangen."},
    Entry{IDS_CAMERA_NOT_SAVED_KEPT,
          "Das Album wurde nicht gespeichert; alle übertragenen Dateien sind auch auf der Karte geblieben."},
    Entry{IDS_CAMERA_KEPT_ON_CARD, "%1!li! übertragene Dateien sind auch auf der Karte geblieben."},
    Entry{IDS_RELOCATE_EMPTY_SEARCH,
          "Der zu ersetzende Pfadanfang ist leer; ein leerer Anfang passt zu keinem Namen."},
    Entry{IDS_RELOCATE_NOT_UTF8,
          "%1!s! bleibt unverändert: Der neue Name %2!s! ist kein gültiges UTF-8, und das Album "
          "könnte ihn nicht unverändert behalten."},
    Entry{IDS_RELOCATE_SHARED_NAME,
          "%1!s! bleibt unverändert: Der neue Name %2!s! wäre auch der Name eines anderen Bildes."},
    Entry{IDS_REFUSE_NOT_A_PICTURE,
          "Die Datei ist kein Bild und kein Video der Arten, die Kolvaro aufnimmt (JPEG, HEIC, PNG, WebP, "
          "TIFF, GIF, BMP, RAW, MP4, MOV, AVI); das Album kann sie auch aus einer fremden Quelle nennen."},

    Entry{IDS_PERSONS_IMPORTED,
          "%1!i! Personen neu angelegt, %2!i! Zeilen übersprungen (leer oder Name schon vorhanden)."},
    Entry{IDS_PRINT_FAILED,
          "Der Druckauftrag konnte nicht gestartet oder nicht abgeschlossen werden.\nEs wurde nichts gedruckt."},

    // Commands: "status-bar prompt\ntooltip".
    Entry{IDS_SYNC_FIELD_TITLE, "Überschrift"},
    Entry{IDS_SYNC_FIELD_FILENAME, "Dateiname"},
    Entry{IDS_SYNC_FIELD_DATE, "Aufnahmedatum"},
    Entry{IDS_SYNC_FIELD_SIZE, "Dateigröße"},
    Entry{IDS_SYNC_FIELD_NAME, "Name"},
    Entry{IDS_SYNC_FIELD_MARK, "Markierung (links, oben, rechts, unten)"},
    Entry{IDS_SYNC_FIELD_LINK, "Zuordnung"},
    Entry{IDS_SYNC_REMOVED, "(entfernt)"},
    Entry{IDS_SYNC_ASSIGNED, "zugeordnet"},
    Entry{IDS_SYNC_NOT_REGULAR, "keine gewöhnliche Datei, übergangen"},
    Entry{IDS_SYNC_TOO_LARGE, "zu groß für eine Transaktionsdatei, übergangen"},
    Entry{IDS_SYNC_UNREADABLE, "nicht lesbar: %1"},
    Entry{IDS_SYNC_SHORTENED, "kürzer als beim letzten Abgleich, übergangen"},
    Entry{IDS_SYNC_DAMAGED, "beschädigt ab Byte %1; was davor steht, ist übernommen"},
    Entry{IDS_SYNC_STATE_DAMAGED, "Der Stand des Abgleichs in %1 ist beschädigt. Es wurde nichts übernommen."},
    Entry{IDS_SYNC_STATE_UNREADABLE, "Der Stand des Abgleichs in %1 kann nicht gelesen werden: %2"},
    Entry{IDS_SYNC_STATE_NOT_WRITTEN, "Der Stand des Abgleichs in %1 kann nicht gespeichert werden: %2"},
    Entry{IDS_SYNC_FOLDER_UNREADABLE, "Der Ordner %1 kann nicht gelesen werden: %2"},
    Entry{IDS_SYNC_FILE_LINE, "%1 (geschrieben %2): %3 Änderungen, %4 übernommen"},
    Entry{IDS_SYNC_FILE_OWN, "%1: eigene Datei, %2 Änderungen"},
    Entry{IDS_SYNC_FILE_PROBLEM, "%1: %2"},
    Entry{IDS_SYNC_TOTAL, "%1 Änderungen übernommen, %2 von späteren Änderungen überholt."},
    Entry{IDS_SYNC_ENTITY_PICTURE, "Bild %1"},
    Entry{IDS_SYNC_ENTITY_PERSON, "Person %1"},
    Entry{IDS_SYNC_ENTITY_THEME, "Thema %1"},
    Entry{IDS_SYNC_ENTITY_MARK, "Person %1 auf Bild %2"},
    Entry{IDS_SYNC_ENTITY_LINK, "Thema %1 bei Bild %2"},
    Entry{IDS_SYNC_CONFLICT, "Konflikt: %1, %2: hier „%3“, in %4 „%5“; es gilt „%6“."},
    Entry{IDS_CLI_USAGE_SYNC, "sync ALBUM --log-folder ORDNER"},
    Entry{IDS_CLI_ABOUT_SYNC, "Übernimmt alle neuen Änderungen der anderen Bearbeiter aus dem Transaktionsordner, jede genau einmal und in derselben Reihenfolge wie in jeder Kopie, speichert das Album und listet Dateien und Konflikte auf."},
    Entry{ID_SYNC_TRANSACTIONS,
          "Übernimmt jede neue Änderung der anderen Bearbeiter aus dem Transaktionsordner und speichert das Album\n"
          "Änderungen abgleichen"},
    Entry{IDS_SYNC_ALBUM_CHANGED,
          "%1 wurde seit dem Öffnen oder letzten Speichern von einem anderen Programm geändert. "
          "Öffnen Sie das Album neu, bevor Sie Änderungen abgleichen; es wurde nichts übernommen."},
    Entry{ID_SYNC_AT_ONCE,
          "Übernimmt neue Änderungen der anderen Bearbeiter, sobald sie im Transaktionsordner ankommen\n"
          "Änderungen sofort abgleichen"},
    Entry{IDS_SYNC_NEWS, "Neue Änderungen anderer Bearbeiter im Transaktionsordner (Dateien: %1!i!)."},
    Entry{IDS_SYNC_NEWS_APPLY, "&Abgleichen"},
    Entry{IDS_SYNC_NEWS_LATER, "&Später"},
    Entry{IDS_SYNC_OTHER_PICTURE,
          "Bild %1 ist hier %2, in %3 aber %4: dessen Änderungen an diesem Bild wurden nicht übernommen."},
    Entry{IDS_SYNC_CONFLICTS_TITLE, "Änderungen abgleichen"},
    Entry{IDS_SYNC_CONFLICTS_LABEL,
          "Konflikte: Den Wert, der nicht gilt, können Sie übernehmen; alle Kopien folgen dann."},
    Entry{IDS_SYNC_TAKE, "Diesen Wert &übernehmen"},
    Entry{IDS_SYNC_TAKEN, " (übernommen)"},
    // One line each, in the order of the media families (core/mediafile.h).
    Entry{IDS_PICTURE_FILTER_NAMES,
          "Bilder und Videos\nJPEG-Bilder\nHEIF-Bilder\nPNG-Bilder\nWebP-Bilder\nTIFF-Bilder\nGIF-Bilder\n"
          "BMP-Bilder\nRAW-Dateien von Kameras\nVideos\nAlle Dateien"},
    Entry{IDS_SELECT_SEARCH_PLACEHOLDER, "Suchen (Strg+F)"},
    Entry{IDS_SELECT_SEARCH_TIP,
          "Zeigt nur Bilder, bei denen jedes Wort in Überschrift, Dateiname, Thema oder Person vorkommt"},
    Entry{IDS_GRID_MARKED, "%1 von %2 Bildern markiert"},
    Entry{ID_OVERVIEW, "Zeigt die Auswahl als Übersicht kleiner Bilder statt des einzelnen Bildes\nÜbersicht"},
    Entry{ID_DELETE_PICTURE, "Löscht das angezeigte Bild aus der Datenbank und auf Anfrage von der Festplatte\nBild löschen"},
    Entry{ID_CANCEL_ADD_PERSON, "Bricht das Markieren einer Person ab\nPerson hinzufügen abbrechen"},
    Entry{ID_MANAGE_THEMES, "Themen eingeben, umbenenen, löschen\nThemen\nThemenverwaltung"},
    Entry{ID_MANAGE_PERSONS, "Personen eingeben, umbenennen und löschen\nPersonenverwaltung"},
    Entry{ID_ADD_PICTURES,
          "Bietet die Möglichkeit, ein oder mehrere Bilder aus einem Verzeichnis in die Datenbank aufzunehmen\n"
          "Bilder hinzufügen"},
    Entry{ID_IMPORT_TRANSACTIONS, "Änderungsdatei einspielen"},
    Entry{ID_PICTURE_WINDOW, "Zeigt das Bild in einem eigenen, frei veränderbaren Fenster an\nBildfenster"},
    Entry{ID_FILE_STORAGE, "Optionen zur Dateiablage einstellen"},
    Entry{ID_OPEN_IN_GRAPHICS, "Öffnet das angezeigte Bild im zugeordneten Graphikprogramm\nPaint"},
    Entry{ID_SLIDESHOW, "Zeigt die Bilder der Auswahl nacheinander an oder beendet die Dia-Show\nDia-Show"},
    Entry{ID_PAGE_SETUP, "Legt fest, wo und wie groß das Bild auf der Seite gedruckt wird\nSeite einrichten"},
    Entry{ID_IMPORT_PERSONS, "Eine Textdatei mit Personen einlesen\nPersonen importieren"},
    Entry{ID_ADD_FOLDER,
          "Bietet die Möglichkeit, alle Bilder aus einem Verzeichnis in die Datenbank aufzunehmen\n"
          "Verzeichnis hinzufügen"},
    Entry{ID_CAMERA_IMPORT, "Überträgt die Daten einer DCIM-Kompatiblen Digitalkamera"},
    Entry{ID_ALBUM_INFO, "Setzten von Photo-Copyright und Internet-Update URL"},
    Entry{ID_OPTIONS, "Diverse Programmoptionen einstellen"},
    Entry{ID_REGISTER_FILETYPE, "Registrierung der Dateiendung *.kvo für diese Anwendung setzen/enfernen."},
    Entry{ID_NEXT_PICTURE, "Zeigt das nächste Bild der Auswahl an\nNächstes Bild"},
    Entry{ID_PREV_PICTURE, "Zeigt das vorherige Bild der Auswahl an\nVorheriges Bild"},
    Entry{ID_DOCUMENTATION, "Öffnet das Inhaltsverzeichnis der Dokumentation\nDokumentation"},
    Entry{ID_CHANGE_PATHS, "Ändert absolute Pfadangaben."},
    Entry{ID_ENLARGE, "Vergrößert die Bildanzeige oder stellt die normale Ansicht wieder her\nBild vergrößerern"},
    Entry{ID_COPY_FILE,
          "Kopiert das angezeigte Photo in ein anderes Verzeichnis oder auf einen anderen Datenträger\nDatei kopieren"},
    Entry{ID_THUMBNAIL_STRIP,
          "Blendet die Bildleiste mit den Vorschaubildern der Auswahl ein oder aus\nBildleiste ein/aus"},
    Entry{ID_XMP_EXPORT,
          "Schreibt Personen, Themen und Überschriften als XMP für andere Fotoprogramme\nXMP exportieren"},
    Entry{ID_XMP_IMPORT,
          "Übernimmt Gesichtsbereiche, Stichwörter und Titel aus XMP anderer Fotoprogramme\nXMP importieren"},

    Entry{IDS_APP_TITLE, kAppTitle},
    Entry{IDS_IDLE_MESSAGE, "Bereit"},
    Entry{IDS_HELP_MODE_MESSAGE, "Klicken Sie auf ein Element, zu dem Sie Hilfe wünschen"},
    Entry{ID_FILE_NEW, "Legt ein neues, leeres Album an\nNeu"},
    Entry{ID_FILE_OPEN, "Öffnet ein vorhandenes Album\nÖffnen"},
    Entry{ID_FILE_CLOSE, "Schließt das aktuelle Album\nSchließen"},
    Entry{ID_FILE_SAVE, "Speichert das aktuelle Album\nSpeichern"},
    Entry{ID_FILE_SAVE_AS, "Speichert das aktuelle Album unter einem neuen Namen\nSpeichern unter"},
    Entry{ID_FILE_PRINT_SETUP, "Wählt einen Drucker und seine Einstellungen aus\nDruckereinrichtung"},
    Entry{ID_FILE_PRINT, "Druckt das angezeigte Bild\nDrucken"},
    Entry{ID_FILE_PRINT_DIRECT, "Druckt das angezeigte Bild mit den aktuellen Einstellungen\nDirekt drucken"},
    Entry{ID_FILE_PRINT_PREVIEW, "Zeigt die Seite so an, wie sie gedruckt wird\nSeitenansicht"},
    Entry{ID_FILE_MRU_FILE1, "Öffnet dieses Album"},
    Entry{ID_FILE_MRU_FILE1 + 1, "Öffnet dieses Album"},
    Entry{ID_FILE_MRU_FILE1 + 2, "Öffnet dieses Album"},
    Entry{ID_FILE_MRU_FILE1 + 3, "Öffnet dieses Album"},
    Entry{ID_EDIT_UNDO, "Macht die letzte Aktion rückgängig\nRückgängig"},
    Entry{ID_APP_ABOUT, "Zeigt Programminformationen, Versionsnummer und Copyright an\nInfo"},
    Entry{ID_APP_EXIT, "Beendet Kolvaro und fragt, ob Änderungen gespeichert werden sollen\nBeenden"},
    Entry{ID_HELP_FINDER, "Zeigt das Inhaltsverzeichnis der Hilfe an\nHilfethemen"},
    Entry{ID_CONTEXT_HELP, "Zeigt die Hilfe zu einer angeklickten Schaltfläche, einem Befehl oder einem Fenster an\n"
                           "Was ist das ...?"},
    Entry{ID_HELP, "Zeigt die Hilfe zur aktuellen Aufgabe oder zum aktuellen Befehl an\nHilfe"},
    Entry{ID_DEFAULT_HELP, "Zeigt das Inhaltsverzeichnis der Hilfe an\nHilfethemen"},
    Entry{ID_NEXT_PANE, "Wechselt zum nächsten Fensterbereich\nNächster Bereich"},
    Entry{ID_PREV_PANE, "Wechselt zum vorherigen Fensterbereich\nVorheriger Bereich"},
    Entry{IDS_INDICATOR_CAPS, "UF"},
    Entry{IDS_INDICATOR_NUM, "NUM"},
    Entry{IDS_INDICATOR_SCROLL, "RF"},
    Entry{ID_VIEW_TOOLBAR, "Blendet die Symbolleiste ein oder aus\nSymbolleiste ein/aus"},
    Entry{ID_VIEW_STATUS_BAR, "Blendet die Statusleiste ein oder aus\nStatusleiste ein/aus"},

    // Framework texts.
    Entry{IDS_FAILED_TO_OPEN_DOC, "Fehler beim Öffnen des Dokuments."},
    Entry{IDS_FAILED_TO_SAVE_DOC, "Fehler beim Speichern des Dokuments."},
    Entry{IDS_SAVE_CHANGES, "Änderungen in %1 speichern?"},
    Entry{IDS_HELP_FAILED, "Die Hilfe konnte nicht aufgerufen werden."},
    Entry{IDS_PARSE_INT, "Geben Sie eine ganze Zahl ein."},
    Entry{IDS_PARSE_INT_RANGE, "Geben Sie eine ganze Zahl zwischen %1 und %2 ein."},
    Entry{IDS_PARSE_UINT, "Geben Sie eine positive ganze Zahl ein."},
    Entry{IDS_PARSE_DATETIME, "Geben Sie ein Datum und/oder eine Uhrzeit ein."},
    Entry{IDS_UNEXPECTED_FORMAT, "Unerwartetes Dateiformat."},
    Entry{IDS_FILE_NOT_FOUND, "%1 wurde nicht gefunden."},
    Entry{IDS_ACCESS_DENIED, "Zugriff auf %1 wurde verweigert."},
    Entry{IDS_DISK_FULL, "Beim Zugriff auf %1 wurde ein voller Datenträger gemeldet."},
    Entry{IDS_BUTTON_YES, "&Ja"},
    Entry{IDS_BUTTON_NO, "&Nein"},
    Entry{IDS_BUTTON_OK, "OK"},
    Entry{IDS_BUTTON_CANCEL, "Abbrechen"},
    Entry{IDS_BUTTON_HELP, "Hilfe"},
};

constexpr bool SortedAndUnique() {
  for (std::size_t i = 1; i < std::size(kTable); ++i)
    if (kTable[i - 1].id >= kTable[i].id) return false;
  return true;
}
static_assert(SortedAndUnique(), "string table must be sorted by identifier, without repeats");

constexpr std::string_view Find(int id) {
  std::size_t lo = 0, hi = std::size(kTable);
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (kTable[mid].id < id)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < std::size(kTable) && kTable[lo].id == id ? kTable[lo].text : std::string_view();
}

constexpr bool EveryStringIdHasText() {
  for (const StringId id : kAllStringIds)
    if (Find(id).empty()) return false;
  return true;
}
static_assert(EveryStringIdHasText(), "every StringId needs its text in the table");

// Every command that a menu, the toolbar or an accelerator can fire shows a
// status-bar prompt.
constexpr bool EveryCommandHasPrompt() {
  constexpr int kCommands[] = {
      ID_ASSIGN_THEMES, ID_REMOVE_THEMES, ID_ADD_PERSON, ID_REMOVE_PERSONS, ID_DELETE_PICTURE,
      ID_CANCEL_ADD_PERSON, ID_MANAGE_THEMES, ID_MANAGE_PERSONS, ID_ADD_PICTURES, ID_IMPORT_TRANSACTIONS,
      ID_PICTURE_WINDOW, ID_FILE_STORAGE, ID_OPEN_IN_GRAPHICS, ID_SLIDESHOW, ID_PAGE_SETUP, ID_IMPORT_PERSONS,
      ID_ADD_FOLDER, ID_CAMERA_IMPORT, ID_ALBUM_INFO, ID_OPTIONS, ID_REGISTER_FILETYPE, ID_NEXT_PICTURE,
      ID_PREV_PICTURE, ID_DOCUMENTATION, ID_CHANGE_PATHS, ID_ENLARGE, ID_COPY_FILE, ID_FILE_NEW, ID_FILE_OPEN,
      ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_PRINT_SETUP, ID_FILE_PRINT, ID_FILE_PRINT_DIRECT,
      ID_FILE_PRINT_PREVIEW, ID_FILE_MRU_FILE1, ID_EDIT_UNDO, ID_APP_ABOUT, ID_APP_EXIT, ID_HELP_FINDER,
      ID_CONTEXT_HELP, ID_HELP, ID_DEFAULT_HELP, ID_NEXT_PANE, ID_PREV_PANE, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
      ID_THUMBNAIL_STRIP, ID_OVERVIEW,
      ID_XMP_EXPORT, ID_XMP_IMPORT, ID_SYNC_TRANSACTIONS, ID_SYNC_AT_ONCE};
  for (const int id : kCommands)
    if (Find(id).empty()) return false;
  return true;
}
static_assert(EveryCommandHasPrompt(), "every command needs its status-bar prompt");

std::string FormatOne(const MessageArg& arg, std::string_view directive) {
  // Build a printf format from the directive, with the length modifiers that
  // fit the argument's real type.
  std::string conv;
  for (const char c : directive)
    if (c != 'l' && c != 'h' && c != 'I') conv += c;
  char buf[512];
  const char type = conv.empty() ? 's' : conv.back();
  const std::string flags = conv.empty() ? std::string() : conv.substr(0, conv.size() - 1);
  if (const auto* s = std::get_if<std::string>(&arg)) return *s;
  if (const auto* n = std::get_if<long long>(&arg)) {
    if (type == 's') return std::to_string(*n);
    const std::string fmt = "%" + flags + (type == 'f' ? std::string("lld") : "ll" + std::string(1, type));
    std::snprintf(buf, sizeof buf, fmt.c_str(), *n);
    return buf;
  }
  const double d = std::get<double>(arg);
  const std::string fmt = "%" + flags + (type == 'f' || type == 'e' || type == 'g' ? std::string(1, type) : "g");
  std::snprintf(buf, sizeof buf, fmt.c_str(), d);
  return buf;
}

}  // namespace

std::string_view LoadString(int id) { return Find(id); }

// FileFailureText counts the causes' identifiers in the enum's order.
static_assert(IDS_CAUSE_TOO_MANY_OPEN - IDS_CAUSE_NOT_FOUND == static_cast<int>(FileFailure::kTooManyOpenFiles));

FileFailure FileFailureOf(int error) {
  switch (error) {
    case ENOENT: return FileFailure::kNotFound;
    case EACCES:
    case EPERM: return FileFailure::kAccessDenied;
    case ENOSPC: return FileFailure::kDiskFull;
    case EDQUOT: return FileFailure::kQuotaExhausted;
    case EROFS: return FileFailure::kReadOnly;
    case EFBIG: return FileFailure::kTooLarge;
    case ENAMETOOLONG: return FileFailure::kNameTooLong;
    case ENOTDIR: return FileFailure::kNotAFolder;
    case EISDIR: return FileFailure::kIsAFolder;
    case EINVAL: return FileFailure::kNotRegular;
    case EIO: return FileFailure::kIoError;
    case EBUSY: return FileFailure::kBusy;
    case EMFILE:
    case ENFILE: return FileFailure::kTooManyOpenFiles;
    default: return FileFailure::kOther;
  }
}

std::string_view FileFailureText(FileFailure failure) {
  if (failure == FileFailure::kOther) return {};
  return Find(IDS_CAUSE_NOT_FOUND + static_cast<int>(failure));
}

std::string_view StatusPrompt(int command) {
  const std::string_view text = Find(command);
  return text.substr(0, text.find('\n'));
}

std::string_view ToolTip(int command) {
  const std::string_view text = Find(command);
  const auto first = text.find('\n');
  if (first == std::string_view::npos) return {};
  const std::string_view rest = text.substr(first + 1);
  return rest.substr(0, rest.find('\n'));
}

std::string FormatMessage(std::string_view format, const std::vector<MessageArg>& args) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    const char next = format[i + 1];
    if (next == '%') {
      out += '%';
      ++i;
      continue;
    }
    if (next < '1' || next > '9') {
      out += c;
      continue;
    }
    std::size_t j = i + 1;
    int index = 0;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9' && index < 100)
      index = index * 10 + (format[j++] - '0');
    std::string_view directive;
    if (j < format.size() && format[j] == '!') {
      const auto end = format.find('!', j + 1);
      if (end != std::string_view::npos) {
        directive = format.substr(j + 1, end - j - 1);
        j = end + 1;
      }
    }
    if (index >= 1 && static_cast<std::size_t>(index) <= args.size())
      out += FormatOne(args[static_cast<std::size_t>(index) - 1], directive);
    i = j - 1;
  }
  return out;
}

}  // namespace kolvaro
