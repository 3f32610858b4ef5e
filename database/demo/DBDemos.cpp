#include "DBDemos.h"

#include <sqlite3.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>
#include <cstdio>

#include <Tarnwell/database/DBEngine.h>

namespace Tarnwell {

namespace {

// A small deterministic generator: the same anchor gives the same file.
class TRand {
 public:
  explicit TRand(quint64 seed) : mState(seed) {}
  quint32 Next() {
    mState = mState * 6364136223846793005ULL + 1442695040888963407ULL;
    return quint32(mState >> 33);
  }
  int Below(int n) { return n <= 0 ? 0 : int(Next() % quint32(n)); }

 private:
  quint64 mState;
};

const char* const kCustomers[] = {"Dell'Orto Forniture S.r.l.",
                                  "L'Artigiano del Legno",
                                  "Sconti 100% S.p.A.",
                                  "Rossi_Bianchi & C.",
                                  "Città Nuova Società Cooperativa",
                                  "Müller Handels GmbH",
                                  "Ñandú Importaciones",
                                  "Ökobau Zürich AG",
                                  "Łódź Trading Sp. z o.o.",
                                  "Café Perù",
                                  "Bar \"Il Ritrovo\"",
                                  "Agenzia 50% Viaggi",
                                  "Ferramenta Esposito",
                                  "Tipografia Gutenberg",
                                  "Comune di Castelvecchio",
                                  "Associazione Amici del Po",
                                  "Ospedale San Rocco",
                                  "Università di Borgomanero",
                                  "Pro Loco Valsesia",
                                  "Studio Legale Ferri",
                                  "Farmacia Sant'Anna",
                                  "Panificio Colombo",
                                  "Officina Meccanica Greco",
                                  "Vivaio Fioridea",
                                  "Hotel Bellavista",
                                  "Ristorante Da Mario",
                                  "Cartoleria L'Ape",
                                  "Elettronica Ricci",
                                  "Idraulica Marchetti",
                                  "Cooperativa Agricola Terre Alte",
                                  "Fondazione Arte & Cultura",
                                  "Croce Verde Onlus",
                                  "Biblioteca Civica",
                                  "Scuola Media Dante Alighieri",
                                  "Parrocchia di San Giorgio",
                                  "Società Sportiva Aurora",
                                  "Gelateria Søren",
                                  "Naïve Design Studio",
                                  "Zoë Moda Sposa",
                                  "Librería Señor Gómez",
                                  "Garage Français",
                                  "Ελληνικά Προϊόντα",
                                  "Trattoria All'Angolo",
                                  "Pasticceria Dolce_Vita",
                                  "Ottica 20/20 Vista",
                                  "Enoteca D'Annunzio",
                                  "Casa di Cura Villa Serena",
                                  "Istituto Tecnico Fermi",
                                  "Consorzio Bonifica Est",
                                  "Circolo Nautico Lario",
                                  "Mercatino dell'Usato",
                                  "Auto Ricambi Bruno",
                                  "Lavanderia Bolle Blu",
                                  "Palestra Forma_Fit",
                                  "Erboristeria Camomilla",
                                  "Studio Medico Dr. Ünal",
                                  "Agriturismo Il Ciliegio",
                                  "Museo della Seta",
                                  "Teatro Sociale",
                                  "Ente Parco Monte Rosa"};

const char* const kCities[][3] = {
    {"Milano", "MI", "Italia"},     {"Torino", "TO", "Italia"}, {"L'Aquila", "AQ", "Italia"},
    {"Forlì", "FC", "Italia"},      {"Cantù", "CO", "Italia"},  {"Napoli", "NA", "Italia"},
    {"München", "", "Germania"},    {"Zürich", "", "Svizzera"}, {"Bologna", "BO", "Italia"},
    {"Sant'Agata", "ME", "Italia"}, {"Genova", "GE", "Italia"}, {"São Paulo", "", "Brasile"}};

const char* const kCategories[][2] = {
    {"UFFICIO", "Articoli per l'ufficio"}, {"ELETTRICO", "Materiale elettrico"},
    {"IDRAULICA", "Raccordi e tubi"},      {"GIARDINO", "Attrezzi da giardino"},
    {"UTENSILI", "Utensili a mano"},       {"VERNICI", "Vernici e smalti 100% acriliche"}};

const char* const kArticles[][3] = {
    {"A001", "Risma carta A4 80 g", "UFFICIO"},      {"A002", "Penna a sfera blu", "UFFICIO"},
    {"A003", "Cucitrice da tavolo", "UFFICIO"},      {"A004", "Evidenziatore giallo", "UFFICIO"},
    {"B001", "Lampadina LED 9 W", "ELETTRICO"},      {"B002", "Prolunga 5 m", "ELETTRICO"},
    {"B003", "Interruttore unipolare", "ELETTRICO"}, {"B004", "Nastro isolante", "ELETTRICO"},
    {"C001", "Raccordo a T 1/2\"", "IDRAULICA"},     {"C002", "Tubo multistrato 16 mm", "IDRAULICA"},
    {"C003", "Rubinetto a sfera", "IDRAULICA"},      {"C004", "Guarnizione O_ring", "IDRAULICA"},
    {"D001", "Cesoie da potatura", "GIARDINO"},      {"D002", "Tubo da giardino 25 m", "GIARDINO"},
    {"D003", "Rastrello a ventaglio", "GIARDINO"},   {"D004", "Annaffiatoio 10 l", "GIARDINO"},
    {"E001", "Martello da carpentiere", "UTENSILI"}, {"E002", "Cacciavite a croce", "UTENSILI"},
    {"E003", "Chiave inglese 10\"", "UTENSILI"},     {"E004", "Metro a nastro 5 m", "UTENSILI"},
    {"F001", "Smalto bianco lucido", "VERNICI"},     {"F002", "Vernice per l'esterno", "VERNICI"},
    {"F003", "Pennello piatto 50 mm", "VERNICI"},    {"F004", "Diluente nitro 1 l", "VERNICI"}};

const char* const kCausali[] = {"Vendita", "Reso", "Omaggio", "Campionatura", "Sostituzione", "Riparazione"};
const char* const kTypes[] = {"ORG", "PRI", "ENT"};

// A small picture for each article: a shape in the article's colour.
QByteArray ArticlePicture(int i) {
  QImage img(48, 48, QImage::Format_RGB32);
  img.fill(QColor(250, 248, 240));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QColor colours[] = {QColor(200, 40, 40),  QColor(40, 120, 200), QColor(40, 160, 80),
                            QColor(220, 160, 30), QColor(120, 60, 160), QColor(60, 60, 60)};
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(colours[i % 6]);
  switch ((i / 6) % 4) {
    case 0:
      p.drawRect(8, 8, 31, 31);
      break;
    case 1:
      p.drawEllipse(6, 6, 35, 35);
      break;
    case 2:
      p.drawPolygon(QPolygon({QPoint(24, 5), QPoint(43, 42), QPoint(5, 42)}));
      break;
    default:
      p.drawPolygon(QPolygon({QPoint(24, 4), QPoint(44, 24), QPoint(24, 44), QPoint(4, 24)}));
      break;
  }
  p.setBrush(Qt::white);
  p.drawRect(20 + i % 4, 20, 6, 6);
  p.end();
  QByteArray png;
  QBuffer buf(&png);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  return png;
}

void Exec(QSqlDatabase& db, const QString& sql) {
  QSqlQuery q(db);
  if (!q.exec(sql))
    throw EDatabaseError(QStringLiteral("Generazione del database demo: ") + q.lastError().text());
}

struct TInserter {
  QSqlQuery Q;
  TInserter(QSqlDatabase& db, const QString& table, const QStringList& cols) : Q(db) {
    QStringList qc, marks;
    for (auto& c : cols) {
      qc << Catalog::QuoteIdentifier(db, c);
      marks << QStringLiteral("?");
    }
    if (!Q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                       .arg(Catalog::QuoteTableName(db, table), qc.join(", "), marks.join(", "))))
      throw EDatabaseError(QStringLiteral("Generazione del database demo: ") + Q.lastError().text());
  }
  void Row(const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i) Q.bindValue(i, values[i]);
    if (!Q.exec())
      throw EDatabaseError(QStringLiteral("Generazione del database demo: ") + Q.lastError().text());
  }
};

QString D(const QDate& d) { return d.toString(Qt::ISODate); }
QString DT(const QDate& d, int secs) {
  return QDateTime(d, QTime(0, 0).addSecs(secs)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace

QStringList DemoTableNames() {
  return {"ARTICOLI", "CATEGORIE", "CLIENTI", "MOVIMENTI", "NOTE", "ORDINI", "Righe Ordine"};
}

void FillDemoDatabase(QSqlDatabase db, const QDate& anchor, int movementRows, const TDemoProgress& progress) {
  const bool pg = Catalog::IsPostgres(db);
  const QString dt = pg ? "TIMESTAMP" : "DATETIME";
  const QString fl = pg ? "DOUBLE PRECISION" : "FLOAT";
  const QString img = pg ? "BYTEA" : "IMAGE";
  const QString nocase = pg ? "" : " COLLATE NOCASE";
  auto q = [&](const QString& s) { return Catalog::QuoteIdentifier(db, s); };
  if (!db.transaction())
    throw EDatabaseError(QStringLiteral("Generazione del database demo: ") + db.lastError().text());
  try {
    Exec(db, QStringLiteral("CREATE TABLE %1 (%2 VARCHAR(12) NOT NULL PRIMARY KEY, %3 VARCHAR(60))")
                 .arg(q("CATEGORIE"), q("CATEGORIA"), q("DESCRIZIONE")));
    Exec(db, QStringLiteral("CREATE TABLE %1 (%2 VARCHAR(10) NOT NULL PRIMARY KEY, %3 VARCHAR(60) NOT NULL, "
                            "%4 VARCHAR(12), %5 %6, %7 INTEGER, %8 %9)")
                 .arg(q("ARTICOLI"), q("CODART"), q("DESCRIZIONE"), q("CATEGORIA"), q("PREZZO"), fl,
                      q("GIACENZA"), q("FOTO"), img));
    Exec(db, QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                 .arg(q("ARTICOLI_CATEGORIA"), q("ARTICOLI"), q("CATEGORIA")));
    Exec(db,
         QStringLiteral("CREATE TABLE %1 (%2 INTEGER PRIMARY KEY, %3 VARCHAR(60) NOT NULL, %4 VARCHAR(60), "
                        "%5 VARCHAR(40), %6 CHAR(2), %7 VARCHAR(30), %8 VARCHAR(20), %9 DATE, %10 %11, "
                        "%12 VARCHAR(3), %13 INTEGER)")
             .arg(q("CLIENTI"), q("CODCLI"), q("RAGSOCIALE"), q("INDIRIZZO"), q("CITTA"), q("PROVINCIA"),
                  q("NAZIONE"), q("TELEFONO"), q("DATAINS"), q("FIDO"), fl, q("Tipo"), q("DELTA")));
    Exec(db, QStringLiteral("CREATE INDEX %1 ON %2 (%3%4)")
                 .arg(q("CLIENTI_RAGSOCIALE"), q("CLIENTI"), q("RAGSOCIALE"), nocase));
    Exec(db, QStringLiteral("CREATE TABLE %1 (%2 INTEGER PRIMARY KEY, %3 INTEGER NOT NULL, %4 DATE NOT NULL, "
                            "%5 %6, %7 %8, %9 BOOLEAN, %10 VARCHAR(80))")
                 .arg(q("ORDINI"), q("NUMORD"), q("CODCLI"), q("DATAORD"), q("DATASPED"), dt, q("TOTALE"), fl,
                      q("PAGATO"), q("NOTE")));
    Exec(db, QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(q("ORDINI_CODCLI"), q("ORDINI"), q("CODCLI")));
    Exec(db,
         QStringLiteral("CREATE INDEX %1 ON %2 (%3 DESC)").arg(q("ORDINI_DATA"), q("ORDINI"), q("DATAORD")));
    Exec(db,
         QStringLiteral("CREATE TABLE %1 (%2 INTEGER NOT NULL, %3 INTEGER NOT NULL, %4 VARCHAR(10) NOT NULL, "
                        "%5 INTEGER, %6 %7, %8 %9, PRIMARY KEY (%2, %3))")
             .arg(q("Righe Ordine"), q("NUMORD"), q("RIGA"), q("CODART"), q("QTA"), q("PREZZO"), fl,
                  q("SCONTO"), fl));
    Exec(db,
         QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(q("RIGHE_CODART"), q("Righe Ordine"), q("CODART")));
    Exec(db, QStringLiteral(
                 "CREATE TABLE %1 (%2 INTEGER PRIMARY KEY, %3 %4 NOT NULL, %5 INTEGER, %6 VARCHAR(10), "
                 "%7 VARCHAR(30), %8 INTEGER, %9 %10, %11 INTEGER, %12 VARCHAR(3), %13 INTEGER)")
                 .arg(q("MOVIMENTI"), q("ID"), q("DATAMOV"), dt, q("CODCLI"), q("CODART"), q("CAUSALE"),
                      q("QTA"), q("IMPORTO"), fl, q("DELTA"), q("Tipo"), q("DURATA")));
    Exec(db, QStringLiteral("CREATE INDEX %1 ON %2 (%3, %4)")
                 .arg(q("MOVIMENTI_CLIART"), q("MOVIMENTI"), q("CODCLI"), q("CODART")));
    Exec(db, QStringLiteral("CREATE TABLE %1 (%2 DATE, %3 VARCHAR(30), %4 VARCHAR(200))")
                 .arg(q("NOTE"), q("DATA"), q("AUTORE"), q("TESTO")));

    if (progress) progress(2);
    TRand rnd(20000925);
    const QDate sept2000(2000, 9, 24);
    {
      TInserter ins(db, "CATEGORIE", {"CATEGORIA", "DESCRIZIONE"});
      for (auto& c : kCategories) ins.Row({QString::fromUtf8(c[0]), QString::fromUtf8(c[1])});
    }
    std::vector<double> prices;
    {
      TInserter ins(db, "ARTICOLI", {"CODART", "DESCRIZIONE", "CATEGORIA", "PREZZO", "GIACENZA", "FOTO"});
      int i = 0;
      for (auto& a : kArticles) {
        double price = (150 + rnd.Below(9850)) / 100.0;
        prices.push_back(price);
        ins.Row({QString::fromUtf8(a[0]), QString::fromUtf8(a[1]), QString::fromUtf8(a[2]), price,
                 rnd.Below(500), ArticlePicture(i++)});
      }
    }
    const int nCustomers = int(std::size(kCustomers));
    {
      TInserter ins(db, "CLIENTI",
                    {"CODCLI", "RAGSOCIALE", "INDIRIZZO", "CITTA", "PROVINCIA", "NAZIONE", "TELEFONO",
                     "DATAINS", "FIDO", "Tipo", "DELTA"});
      for (int i = 0; i < nCustomers; ++i) {
        auto& city = kCities[rnd.Below(int(std::size(kCities)))];
        QDate ins_date = (i % 4 == 0) ? sept2000.addDays(rnd.Below(4)) : anchor.addDays(-rnd.Below(30));
        ins.Row({1001 + i, QString::fromUtf8(kCustomers[i]),
                 QStringLiteral("Via %1 %2")
                     .arg(i % 3 == 0 ? "Garibaldi" : (i % 3 == 1 ? "dell'Artigianato" : "Roma"))
                     .arg(1 + rnd.Below(120)),
                 QString::fromUtf8(city[0]), city[1][0] ? QVariant(QString::fromUtf8(city[1])) : QVariant(),
                 QString::fromUtf8(city[2]),
                 QStringLiteral("0%1 %2").arg(2 + rnd.Below(8)).arg(100000 + rnd.Below(899999)), D(ins_date),
                 (i % 7 == 0) ? QVariant() : QVariant(double(rnd.Below(50) * 500)),
                 QString::fromLatin1(kTypes[i % 3]), rnd.Below(300)});
      }
    }
    {
      TInserter ord(db, "ORDINI", {"NUMORD", "CODCLI", "DATAORD", "DATASPED", "TOTALE", "PAGATO", "NOTE"});
      TInserter lines(db, "Righe Ordine", {"NUMORD", "RIGA", "CODART", "QTA", "PREZZO", "SCONTO"});
      for (int o = 0; o < 300; ++o) {
        const int num = 5001 + o;
        QDate d = (o % 5 == 0) ? sept2000.addDays(rnd.Below(4)) : anchor.addDays(-rnd.Below(60) + 5);
        int nl = 1 + rnd.Below(5);
        double total = 0;
        for (int l = 1; l <= nl; ++l) {
          int a = rnd.Below(int(std::size(kArticles)));
          int qty = 1 + rnd.Below(20);
          double disc = (rnd.Below(4) == 0) ? 10.0 : 0.0;
          total += qty * prices[a] * (100 - disc) / 100;
          lines.Row({num, l, QString::fromUtf8(kArticles[a][0]), qty, prices[a], disc});
        }
        const bool shipped = d < anchor;
        ord.Row({num, 1001 + rnd.Below(nCustomers), D(d),
                 shipped ? QVariant(DT(d.addDays(1 + rnd.Below(5)), 8 * 3600 + rnd.Below(10 * 3600)))
                         : QVariant(),
                 std::round(total * 100) / 100, (o % 3) != 0,
                 (o % 11 == 0)
                     ? QVariant(QStringLiteral("Consegna al 2° piano, chiedere dell'ufficio \"Acquisti\""))
                     : QVariant()});
      }
    }
    {
      TInserter ins(
          db, "MOVIMENTI",
          {"ID", "DATAMOV", "CODCLI", "CODART", "CAUSALE", "QTA", "IMPORTO", "DELTA", "Tipo", "DURATA"});
      for (int i = 0; i < movementRows; ++i) {
        if (progress && i % 5000 == 0) progress(10 + int(85.0 * i / movementRows));
        QDate d = (i % 10 == 0) ? sept2000.addDays(i % 4) : anchor.addDays(-(i % 400));
        int a = rnd.Below(int(std::size(kArticles)));
        int qty = 1 + rnd.Below(50);
        ins.Row({i + 1, DT(d, rnd.Below(86400)), 1001 + rnd.Below(nCustomers),
                 QString::fromUtf8(kArticles[a][0]),
                 QString::fromLatin1(kCausali[rnd.Below(int(std::size(kCausali)))]), qty,
                 std::round(qty * prices[a] * 100) / 100, rnd.Below(300),
                 QString::fromLatin1(kTypes[rnd.Below(3)]), rnd.Below(200000)});
      }
    }
    {
      TInserter ins(db, "NOTE", {"DATA", "AUTORE", "TESTO"});
      ins.Row({D(sept2000), QStringLiteral("Amministrazione"),
               QStringLiteral("Inventario di fine settembre: sconto del 10% sugli articoli VERNICI")});
      ins.Row({D(anchor), QStringLiteral("Magazzino"),
               QStringLiteral("Arrivato il tubo da 25 m per l'ordine di Müller")});
      ins.Row({D(anchor.addDays(-1)), QStringLiteral("Commerciale"),
               QStringLiteral("Il cliente \"Bar Il Ritrovo\" chiede i prezzi_2025")});
    }
    if (!db.commit())
      throw EDatabaseError(QStringLiteral("Generazione del database demo: ") + db.lastError().text());
  } catch (...) {
    db.rollback();
    throw;
  }
}

bool IsDemoDatabaseFile(const QString& path, int* version) {
  sqlite3* h = nullptr;
  bool ours = false;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, "PRAGMA application_id", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
      ours = sqlite3_column_int(st, 0) == kDemoApplicationId;
    sqlite3_finalize(st);
    if (ours && version) {
      if (sqlite3_prepare_v2(h, "PRAGMA user_version", -1, &st, nullptr) == SQLITE_OK &&
          sqlite3_step(st) == SQLITE_ROW)
        *version = sqlite3_column_int(st, 0);
      sqlite3_finalize(st);
    }
  }
  sqlite3_close(h);
  return ours;
}

namespace {
// The side files SQLite keeps next to a database.
const char* const kSideSuffixes[] = {"", "-journal", "-wal", "-shm"};

void RemoveWithSideFiles(const QString& file) {
  for (const char* suffix : kSideSuffixes) QFile::remove(file + QLatin1String(suffix));
}

// A generation that was interrupted (the program killed, the machine off)
// leaves "<name>.tmp-<pid>" and its journal: those of a process that no
// longer runs are ours and are removed.
void RemoveStaleTemporaries(const QFileInfo& target) {
  const QString prefix = target.fileName() + QStringLiteral(".tmp-");
  const QDir dir = target.absoluteDir();
  for (const QString& name : dir.entryList({prefix + '*'}, QDir::Files | QDir::Hidden)) {
    QString rest = name.mid(prefix.size());
    for (const char* suffix : kSideSuffixes)
      if (*suffix && rest.endsWith(QLatin1String(suffix))) rest.chop(int(qstrlen(suffix)));
    bool ok = false;
    const long pid = rest.toLong(&ok);
    if (!ok || pid <= 0) continue;
    if (pid != ::getpid() && (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)) continue;  // still running
    QFile::remove(dir.filePath(name));
  }
}
}  // namespace

void GenerateDemoDatabase(const QString& path, const QDate& anchor, int movementRows,
                          const TDemoProgress& progress) {
  if (progress) progress(0);
  QFileInfo fi(path);
  if (fi.exists() && !IsDemoDatabaseFile(path))
    throw EDatabaseError(
        QStringLiteral("Il file %1 esiste e non è il database demo: non viene sovrascritto").arg(path));
  if (!QDir().mkpath(fi.absolutePath()))
    throw EDatabaseError(QStringLiteral("Impossibile creare la cartella %1").arg(fi.absolutePath()));
  RemoveStaleTemporaries(fi);
  const QString tmp = fi.absoluteFilePath() + QStringLiteral(".tmp-%1").arg(::getpid());
  RemoveWithSideFiles(tmp);
  const QString cname = QStringLiteral("tarnwell-demo-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
  try {
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), cname);
      db.setDatabaseName(tmp);
      if (!db.open())
        throw EDatabaseError(QStringLiteral("Impossibile creare %1: %2").arg(tmp, db.lastError().text()));
      Exec(db, QStringLiteral("PRAGMA application_id = %1").arg(kDemoApplicationId));
      Exec(db, QStringLiteral("PRAGMA user_version = %1").arg(kDemoSchemaVersion));
      FillDemoDatabase(db, anchor, movementRows, progress);
      // Our own file is kept in write-ahead-log mode: a dataset reading it
      // never locks out another program writing to it.
      Exec(db, QStringLiteral("PRAGMA journal_mode = WAL"));
      db.close();
    }
    QSqlDatabase::removeDatabase(cname);
  } catch (...) {
    QSqlDatabase::removeDatabase(cname);
    RemoveWithSideFiles(tmp);
    throw;
  }
  // Someone may have put a file of theirs there meanwhile.
  if (QFileInfo::exists(path) && !IsDemoDatabaseFile(path)) {
    QFile::remove(tmp);
    throw EDatabaseError(
        QStringLiteral("Il file %1 esiste e non è il database demo: non viene sovrascritto").arg(path));
  }
  if (std::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(fi.absoluteFilePath()).constData()) !=
      0) {
    QFile::remove(tmp);
    throw EDatabaseError(QStringLiteral("Impossibile scrivere %1").arg(path));
  }
  if (progress) progress(100);
}

void EnsureDemoDatabase(const QString& path, const QDate& anchor, const TDemoProgress& progress) {
  int version = 0;
  if (QFileInfo::exists(path)) {
    if (!IsDemoDatabaseFile(path, &version))
      throw EDatabaseError(
          QStringLiteral("Il file %1 esiste e non è il database demo: non viene sovrascritto").arg(path));
    if (version == kDemoSchemaVersion) {
      if (DemoDatabaseIntact(path)) return;
      // Damaged: keep it aside (it may hold the user's edits) and start afresh.
      const QString aside = path + QStringLiteral(".danneggiato-") +
                            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
      if (!QFile::rename(path, aside))
        throw EDatabaseError(
            QStringLiteral("Il database demo %1 è danneggiato e non si può mettere da parte").arg(path));
    }
  }
  GenerateDemoDatabase(path, anchor, kDemoMovementRows, progress);
}

bool DemoDatabaseIntact(const QString& path) {
  sqlite3* h = nullptr;
  bool ok = false;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, "PRAGMA quick_check", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(st, 0);
      ok = text && qstrcmp(reinterpret_cast<const char*>(text), "ok") == 0;
    }
    sqlite3_finalize(st);
  }
  sqlite3_close(h);
  return ok;
}

namespace {
QString& DemoPathSetting() {
  static QString path;
  return path;
}
TDemoGenerationHooks& Hooks() {
  static TDemoGenerationHooks hooks;
  return hooks;
}

void PrepareDemoFile(const TAliasParams& params) {
  bool started = false;
  auto finish = qScopeGuard([&] {
    if (started && Hooks().Finished) Hooks().Finished();
  });
  EnsureDemoDatabase(params.DatabaseName, QDate::currentDate(), [&started](int percent) {
    if (!started) {
      started = true;
      if (Hooks().Started) Hooks().Started();
    }
    if (Hooks().Progress) Hooks().Progress(percent);
  });
}
}  // namespace

QString DemoDatabasePath() {
  if (!DemoPathSetting().isEmpty()) return DemoPathSetting();
  QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/.local/share");
  return dir + QStringLiteral("/Tarnwell/DBDEMOS.sqlite");
}

void SetDemoDatabasePath(const QString& path) {
  DemoPathSetting() = path;
  if (TDBSession::IsAlias(DemoAliasName())) RegisterDemoAlias(Hooks());
}

void RegisterDemoAlias(TDemoGenerationHooks hooks) {
  Hooks() = std::move(hooks);
  TAliasParams p;
  p.DatabaseName = DemoDatabasePath();
  TDBSession::RegisterAlias(DemoAliasName(), p, PrepareDemoFile);
}

}  // namespace Tarnwell
