#include "FileViewTexts.h"

#include <QLocale>
#include <QStringList>
#include <map>

namespace Tarnwell {

namespace {

struct TBlock {
  int Base;
  std::map<int, const char*> Texts;
};

const std::vector<TBlock>& Blocks() {
  static const std::vector<TBlock> blocks = {
      {900,
       {{0, "LANG_ENGLISH Header"}, {11, "Name"}, {12, "Size"}, {13, "Type"}, {14, "Last Modify"}, {15, "Attr"},
        {21, "Unknown"}, {22, "Not exist"}, {23, "Removable Unit"}, {24, "Fixed Unit"}, {25, "Network Unit"},
        {26, "CD-ROM Unit"}, {27, "RAM Disk Unit"}, {31, "All the network"}, {32, "Deleted"},
        {33, "New folder"}, {41, "&View Style"}, {42, "&Large icons"}, {43, "&Small Icons"}, {44, "&List"},
        {45, "&Report"}, {46, "&Images"}, {51, "&Browser Setting"}, {52, "&Masked"}, {61, "&Sort Icons"},
        {62, "by &Name"}, {63, "by &Size"}, {64, "by &Type"}, {65, "by &Last Modify"}, {66, "by &Attributes"},
        {71, "Send &To"}, {72, "&Delete"}, {73, "&Rename"}, {74, "&New Folder"}, {75, "&Open"}}},
      {700,
       {{0, "LANG_GERMAN Header"}, {11, "Name"}, {12, "Größe"}, {13, "Typ"}, {14, "Geändert am"},
        {15, "Dateiattribute"}, {21, "Unbekannt"}, {22, "Nicht existent"}, {23, "Wechselbares Speichermedium"},
        {24, "Festplatte"}, {25, "Netzlaufwerk"}, {26, "CD-ROM-Laufwerk"}, {27, "RAM-Laufwerk"},
        {31, "Gesamtes Netzwerk"}, {32, "Gelöscht"}, {33, "Neues Verzeichnis"}, {41, "&Ansicht"},
        {42, "&Große Symbole"}, {43, "&Kleine Symbole"}, {44, "&Liste"}, {45, "&Details"}, {46, "&Images"},
        {51, "&Browser Setting"}, {52, "&Masked"}, {61, "&Symbole anordnen"}, {62, "Nach &Name"},
        {63, "Nach &Größe"}, {64, "Nach &Typ"}, {65, "Nach Än&derungsdatum"}, {66, "Nach Datei&attributen"},
        {71, "Senden &an"}, {72, "&Löschen"}, {73, "&Umbenennen"}, {74, "&Neues Verzeichnis"}, {75, "Ö&ffnen"}}},
      {1000,
       {{0, "LANG_SPANISH Header"}, {11, "Nombre"}, {12, "Tamaño"}, {13, "Extensión"}, {14, "Fecha/Hora"},
        {15, "Atrib"}, {21, "Desconocido"}, {22, "No existe"}, {23, "Unidad Removible"}, {24, "Unidad Fija"},
        {25, "Unidad de Red"}, {26, "Unidad CD-ROM"}, {27, "Unidad RAM Disco"}, {31, "Toda la Red"},
        {32, "Borrado"}, {33, "Nuevo Directorio"}, {41, "&Ver"}, {42, "Iconos &Grandes"},
        {43, "Iconos &Pequeños"}, {44, "&Lista"}, {45, "&Detalles"}, {46, "&Images"}, {51, "&Browser Setting"},
        {52, "&Masked"}, {61, "&Alinear Iconos"}, {62, "&Dar Nombre"}, {63, "&Tamaño"}, {64, "&Bondadoso"},
        {65, "&Fecha/Hora"}, {66, "&Atributos"}, {71, "Envar &A"}, {72, "&Borrar"}, {73, "&ReNombrar"},
        {74, "&Nueva  Carpeta"}, {75, "&Abrir"}}},
      {1200,
       {{0, "LANG_FRENCH Header"}, {11, "Nom"}, {12, "Taille"}, {13, "Type"}, {14, "Dernière Modification"},
        {15, "Attr"}, {21, "Inconnu"}, {22, "n'existe pas"}, {23, "Unité amovible"}, {24, "Unité Fixe"},
        {25, "Unité de Réseau"}, {26, "Unité de CD-ROM"}, {27, "Unité de RAM Disque"}, {31, "Tout le Réseau"},
        {32, "Effacé"}, {33, "Nouveau répertoire"}, {41, "&Voir le style"}, {42, "&Grandes Icônes"},
        {43, "&Petites Icônes"}, {44, "&Liste"}, {45, "&Rapport"}, {46, "&Images"}, {51, "&Browser Setting"},
        {52, "&Masked"}, {61, "&Trier les Icônes"}, {62, "&Par Nom"}, {63, "&Par taille"}, {64, "&Par Type"},
        {65, "&Par date de dernière modification"}, {66, "&Par attributs"}, {71, "&Envoyer à"},
        {72, "&Supprimer"}, {73, "&Renommer"}, {74, "&Nouveau répertoire"}, {75, "&Ouvrir"}}},
      {1600,
       {{0, "LANG_ITALIAN Header"}, {11, "Nome"}, {12, "Dimensione"}, {13, "Tipo"}, {14, "Modificato"},
        {15, "Attr"}, {21, "Tipo Sconosciuto"}, {22, "L'unita non esiste"}, {23, "Unità Rimovibile"},
        {24, "Disco Fisso"}, {25, "Unità di Rete"}, {26, "Unità CD-ROM"}, {27, "RAM Disk"}, {31, "Tutta la Rete"},
        {32, "Cancellato"}, {33, "Nuova Cartella"}, {41, "&Visualizza"}, {42, "Icone &grandi"},
        {43, "Icone &piccole"}, {44, "Ele&nco"}, {45, "D&ettagli"}, {46, "&Images"}, {51, "&Browser Setting"},
        {52, "&Masked"}, {61, "&Disponi icone"}, {62, "Per &nome"}, {63, "Per &dimensione"}, {64, "Per &tipo"},
        {65, "Per d&ata"}, {66, "Per a&ttributi"}, {71, "In&via a"}, {72, "&Elimina"}, {73, "Ri&nomina"},
        {74, "Nuova &cartella"}, {75, "&Apri"}}},
  };
  return blocks;
}

// The platform's primary language identifiers of the five languages.
int PrimaryLanguageId(QLocale::Language l) {
  switch (l) {
    case QLocale::English: return 9;
    case QLocale::German: return 7;
    case QLocale::Spanish: return 10;
    case QLocale::French: return 12;
    case QLocale::Italian: return 16;
    default: return 0;  // no block: English
  }
}

}  // namespace

QString FileViewString(int id) {
  for (const TBlock& b : Blocks()) {
    if (id < b.Base || id >= b.Base + 100) continue;
    const auto it = b.Texts.find(id - b.Base);
    return it == b.Texts.end() ? QString() : QString::fromUtf8(it->second);
  }
  return QString();
}

int LanguageBase(TFileViewLanguage language) {
  switch (language) {
    case lnEnglish: return 900;
    case lnItalian: return 1600;
    case lnFrench: return 1200;
    case lnGerman: return 700;
    case lnSpanish: return 1000;
    case lnSystemDefault:
    case lnUserDefault: break;
  }
  const QLocale loc = language == lnSystemDefault ? QLocale::system() : QLocale();
  const int base = PrimaryLanguageId(loc.language()) * 100;
  return FileViewString(base).isEmpty() ? 900 : base;
}

QString PlaceDisplayName(const QString& place, int base) {
  // Desktop, Computer, Network, Trash per language block.
  static const std::map<int, QStringList> names = {
      {900, {"Desktop", "Computer", "Network", "Trash"}},
      {700, {"Schreibtisch", "Computer", "Netzwerk", "Papierkorb"}},
      {1000, {"Escritorio", "Equipo", "Red", "Papelera"}},
      {1200, {"Bureau", "Ordinateur", "Réseau", "Corbeille"}},
      {1600, {"Scrivania", "Computer", "Rete", "Cestino"}},
  };
  const auto it = names.find(base);
  const QStringList& n = it == names.end() ? names.at(900) : it->second;
  if (place.compare(QLatin1String(kPlaceDesktop), Qt::CaseInsensitive) == 0) return n[0];
  if (place.compare(QLatin1String(kPlaceDrives), Qt::CaseInsensitive) == 0) return n[1];
  if (place.compare(QLatin1String(kPlaceNetwork), Qt::CaseInsensitive) == 0) return n[2];
  if (place.compare(QLatin1String(kPlaceRecycled), Qt::CaseInsensitive) == 0) return n[3];
  return place;
}

}  // namespace Tarnwell
