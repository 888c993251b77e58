// Every kolvaro-cli command in one table, in the order --help lists them.

#include "cli/commands.h"

namespace kolvaro::cli {
namespace {

#define KOLVARO_LOGGED \
  " Mit --log-folder VERZEICHNIS wird die Änderung dort in einer Änderungsdatei festgehalten."

constexpr Command kCommands[] = {
    {"add", "add ALBUM DATEI... [--log-folder VERZEICHNIS]",
     "Nimmt Bilddateien ins Album auf (Aufnahmedatum aus EXIF, sonst "
     "Erstellungszeit); schon enthaltene werden gemeldet. Dateien, deren "
     "Namen das Album nicht unverändert speichern kann, werden abgewiesen "
     "(Exit-Code 1).",
     &RunAdd},
    {"add-folder", "add-folder ALBUM VERZEICHNIS [--log-folder VERZEICHNIS]",
     "Nimmt alle JPEG-Dateien (*.jpg) des Verzeichnisses ins Album auf, "
     "ohne Unterverzeichnisse; schon enthaltene werden übergangen.",
     &RunAddFolder},
    {"check", "check ALBUM",
     "Listet die Bilder, deren Datei nicht gefunden wird "
     "(Rückgabewert 1, wenn eine fehlt).",
     &RunCheck},
    {"date", "date ALBUM BILD \"JJJJ-MM-TT HH:MM:SS\"",
     "Setzt das Aufnahmedatum eines Bildes." KOLVARO_LOGGED, &RunDate},
    {"delete", "delete ALBUM NUMMER [--trash] [--log-folder VERZEICHNIS]",
     "Entfernt das Bild mit seinen Themen und Personen aus dem Album; mit "
     "--trash kommt die Datei in den Papierkorb, nur eine gewöhnliche "
     "Datei (kein Ordner, keine Verknüpfung); sonst bleibt sie, mit "
     "Meldung und Exit-Code 1.",
     &RunDelete},
    {"dump", "dump ALBUM",
     "Gibt das ganze Album als JSON (UTF-8) aus, Tabellen und "
     "Einträge in der Reihenfolge der Datei.",
     &RunDump},
    {"exif", "exif DATEI [MERKMAL]",
     "Gibt den Text eines EXIF-Merkmals der JPEG-Datei aus (Vorgabe: "
     "36867, Aufnahmedatum).",
     &RunExif},
    {"import-persons", "import-persons ALBUM TEXTDATEI",
     "Legt für jede Zeile der Textdatei eine Person an. Mit --log-folder "
     "VERZEICHNIS werden die Personen dort in einer Änderungsdatei "
     "festgehalten.",
     &RunImportPersons},
    {"info", "info ALBUM",
     "Zeigt Dateiversion, Anzahl der Einträge je Tabelle, Dateiablage, "
     "Album-Info, Update-URL und Sperre des Info-Dialogs.",
     &RunInfo},
    {"mark", "mark ALBUM PERSON BILD LINKS OBEN RECHTS UNTEN",
     "Markiert eine Person auf einem Bild (Rechteck in Bildpunkten)." KOLVARO_LOGGED, &RunMark},
    {"new", "new ALBUM",
     "Legt ALBUM als neues, leeres Album an (eine vorhandene Datei "
     "wird nicht überschrieben).",
     &RunNew},
    {"person", "person add|rename|remove ALBUM ...",
     "add ALBUM NAME legt eine Person an und gibt ihre Nummer aus, rename "
     "ALBUM NUMMER NAME benennt sie um, remove ALBUM NUMMER entfernt sie mit "
     "ihren Markierungen." KOLVARO_LOGGED,
     &RunPerson},
    {"replay", "replay ALBUM ÄNDERUNGSDATEI [--keep-applied]",
     "Spielt die Änderungsdatei eines anderen Bearbeiters ein und speichert "
     "das Album; bei einer beschädigten Datei wird nichts gespeichert, mit "
     "--keep-applied bleiben die bis dahin eingespielten Änderungen.",
     &RunReplay},
    {"save", "save ALBUM [ZIEL]",
     "Öffnet ALBUM und speichert es wieder, oder unter ZIEL (Datei oder "
     "Verzeichnis); relative Bildpfade werden dabei neu berechnet.",
     &RunSave},
    {"select", "select ALBUM [--theme ID] [--person ID] [--sort SCHLÜSSEL]",
     "Gibt die ausgewählten Bildnummern in Reihenfolge aus, eine je Zeile "
     "(Thema/Person: 0 alle, -2 ohne; Sortierung: 1 Dateiname, 2 Datum, "
     "3 Größe).",
     &RunSelect},
    {"theme", "theme add|rename|remove|assign|unassign ALBUM ...",
     "add ALBUM NAME legt ein Thema an und gibt seine Nummer aus, rename ALBUM "
     "NUMMER NAME benennt es um, remove ALBUM NUMMER entfernt es; assign bzw. "
     "unassign ALBUM THEMA BILD ordnet ihm ein Bild zu oder nimmt es heraus." KOLVARO_LOGGED,
     &RunTheme},
    {"title", "title ALBUM BILD TEXT", "Setzt die Überschrift eines Bildes." KOLVARO_LOGGED,
     &RunTitle},
    {"unmark", "unmark ALBUM PERSON BILD",
     "Entfernt die Markierung einer Person auf einem Bild." KOLVARO_LOGGED, &RunUnmark},
};

#undef KOLVARO_LOGGED

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const Command* FindCommand(std::string_view name) {
  for (const Command& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

}  // namespace kolvaro::cli
