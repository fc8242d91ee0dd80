// Times copying whole tables through the data layer's rowsets, the way the refresh
// copies them (every value carried as edit text, one posted row at a time, inside one
// transaction on the target), beside the same copy done by the sqlite3 shell.
//
//   bench_copy [--rows N] [--mdb path/to/bench_tiermenddb.mdb]
//
// It first copies one N-row table (default 1,000,000) of 14 integer and decimal columns
// from one SQLite file to another; then, with --mdb, it copies the four 100,000-row
// bracket tables of an Access file into a SQLite file; the shell side there is
// mdb-export piped into sqlite3. Prints rows per second and peak resident memory.
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/Connection.h"
#include "data/Rowset.h"
#include "tests/data/sqlite/SqliteTestFiles.h"

extern char** environ;

namespace {

using namespace tiermend;
using Clock = std::chrono::steady_clock;

const data::TextSettings kSettings{CodePage(CodePage::kUtf8), RegionalSettings{}};

struct Timing {
  long long rows = 0;
  double seconds = 0;
  long peakKiB = 0;
};

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

long ownPeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

using tiermend::testing::SqliteFile;

// The values of the first row of a query on the file, as text, joined by blanks.
std::string firstRow(const std::string& path, const std::string& sql) {
  const auto rows = SqliteFile(path).rows(sql);
  std::string text;
  for (std::size_t i = 0; !rows.empty() && i < rows[0].size(); ++i)
    text += (i ? " " : "") + rows[0][i];
  return text;
}

// Runs a command, waits for it and gives its time and its peak memory.
Timing runCommand(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot run " + arguments[0]);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error(arguments[0] + " failed");
  }
  return Timing{0, secondsSince(start), usage.ru_maxrss};
}

std::string sqliteString(const std::string& path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path;
}

// Copies every row of table from one database to the other through two rowsets.
Timing copyThroughRowsets(const std::string& sourceString, const std::string& targetString,
                          const std::string& table) {
  const auto start = Clock::now();
  data::Connection sourceConnection("ADOC1", kSettings);
  data::Connection targetConnection("ADOC2", kSettings);
  sourceConnection.setConnectionString(sourceString);
  targetConnection.setConnectionString(targetString);
  data::Rowset source("ADOQ1", sourceConnection);
  data::Rowset target("ADOQ2", targetConnection);
  target.addSql("select * from " + table);
  target.open();
  source.addSql("select * from " + table);
  source.open();
  targetConnection.beginTransaction();
  const int columns = source.fieldCount();
  Timing timing;
  for (source.first(); !source.eof(); source.next()) {
    target.append();
    for (int i = 0; i < columns; ++i) target.field(i).setAsString(source.field(i).asString());
    target.post();
    ++timing.rows;
  }
  targetConnection.commit();
  timing.seconds = secondsSince(start);
  timing.peakKiB = ownPeakKiB();
  return timing;
}

void report(const char* what, const Timing& timing, long long rows, const char* memoryOf) {
  std::printf("  %-24s %8.2f s %12.0f rows/s   peak RSS %7.1f MiB (%s)\n", what, timing.seconds,
              static_cast<double>(rows) / timing.seconds, timing.peakKiB / 1024.0, memoryOf);
}

const char* kWideTable =
    "CREATE TABLE wide (c0 INT, c1 INT, c2 INT, c3 INT, c4 INT, c5 INT, c6 INT,"
    " d0 DECIMAL(18,4), d1 DECIMAL(18,4), d2 DECIMAL(18,4), d3 DECIMAL(18,4),"
    " d4 DECIMAL(18,4), d5 DECIMAL(18,4), d6 MONEY)";

const char* kWideSums =
    "select count(*), sum(c0), sum(c1), sum(c2), sum(c3), sum(c4), sum(c5), sum(c6),"
    " round(sum(d0), 4), round(sum(d1), 4), round(sum(d2), 4), round(sum(d3), 4),"
    " round(sum(d4), 4), round(sum(d5), 4), round(sum(d6), 4) from wide";

void createWideSource(const std::string& path, long long rows) {
  SqliteFile db(path);
  db.exec(kWideTable);
  db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
          std::to_string(rows) +
          ") INSERT INTO wide SELECT i, i % 1000, i * 7 % 100003, i * 13 % 65536, -i,"
          " i * 31 % 2000000, i / 3, (i * 17 % 1000000) / 100.0, (i * 19 % 300000) / 100.0,"
          " (i % 97) * 1.25, i * 0.0001, -(i * 23 % 10000) / 100.0, (i * 29 % 5000000) / 100.0,"
          " (i * 37 % 100000000) / 10000.0 FROM n");
}

void copySqliteToSqlite(const std::filesystem::path& work, long long rows) {
  const std::string source = (work / "wide-source.db").string();
  const std::string viaRowsets = (work / "wide-rowsets.db").string();
  const std::string viaShell = (work / "wide-shell.db").string();
  createWideSource(source, rows);
  SqliteFile(viaRowsets).exec(kWideTable);
  SqliteFile(viaShell).exec(kWideTable);

  std::printf("SQLite -> SQLite: %lld rows x 14 integer and decimal columns\n", rows);
  Timing shell = runCommand({"sqlite3", viaShell,
                             "ATTACH '" + source +
                                 "' AS s; BEGIN;"
                                 " INSERT INTO wide SELECT * FROM s.wide; COMMIT;"});
  Timing rowsets = copyThroughRowsets(sqliteString(source), sqliteString(viaRowsets), "wide");
  report("rowsets (edit text):", rowsets, rows, "this process");
  report("sqlite3 shell:", shell, rows, "sqlite3");
  std::printf("  rowsets / shell time: %.1f\n", rowsets.seconds / shell.seconds);
  const std::string expected = firstRow(source, kWideSums);
  const bool same =
      firstRow(viaRowsets, kWideSums) == expected && firstRow(viaShell, kWideSums) == expected;
  std::printf("  column sums of both copies equal the source's: %s\n", same ? "yes" : "NO");
}

const char* kBracketTables[] = {"health_insu", "labor", "incom_rep", "retire"};

std::string bracketSums(const std::string& path) {
  return firstRow(path, "select count(*), sum(insured_amount), sum(self) from health_insu") +
         " | " +
         firstRow(path,
                  "select count(*), sum(insured_salary), sum(worker_share)"
                  " from labor") +
         " | " + firstRow(path, "select count(*), sum(dep0), sum(dep11) from incom_rep") + " | " +
         firstRow(path, "select count(*), sum(wage_from), sum(contribution_wage) from retire");
}

void copyAccessToSqlite(const std::filesystem::path& work, const std::string& package) {
  const std::string viaRowsets = (work / "brackets-rowsets.db").string();
  const std::string viaShell = (work / "brackets-shell.db").string();
  SqliteFile(viaRowsets).exec(tiermend::testing::bracketTablesSql());
  SqliteFile(viaShell).exec(tiermend::testing::bracketTablesSql());
  std::printf("Access -> SQLite: the four bracket tables of %s\n", package.c_str());

  std::string script;
  for (const char* table : kBracketTables) {
    script += "{ echo 'BEGIN;'; mdb-export -I sqlite '" + package + "' " + table +
              "; echo 'COMMIT;'; } | sqlite3 '" + viaShell + "' && ";
  }
  script += "true";
  Timing shell = runCommand({"bash", "-c", script});

  Timing total;
  for (const char* table : kBracketTables) {
    Timing one = copyThroughRowsets(
        "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=;Data Source=" + package,
        sqliteString(viaRowsets), table);
    std::printf("    %-12s %8lld rows %8.2f s\n", table, one.rows, one.seconds);
    total.rows += one.rows;
    total.seconds += one.seconds;
    total.peakKiB = one.peakKiB;
  }
  report("rowsets (edit text):", total, total.rows, "this process, so far");
  report("mdb-export | sqlite3:", shell, total.rows, "largest of the pipeline");
  std::printf("  rowsets / shell time: %.1f\n", total.seconds / shell.seconds);
  const std::string sums = bracketSums(viaRowsets);
  std::printf("  counts and sums: %s\n  same in the shell's copy: %s\n", sums.c_str(),
              sums == bracketSums(viaShell) ? "yes" : "NO");
  // Edit text turns a null text into an empty one; mdb-export keeps the null.
  const char* nullNotes = "select count(*) from labor where note is null";
  std::printf("  labor.note null: %s (rowsets), %s (shell)\n",
              firstRow(viaRowsets, nullNotes).c_str(), firstRow(viaShell, nullNotes).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  long long rows = 1000000;
  std::string package;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rows") == 0) rows = std::atoll(argv[i + 1]);
    if (std::strcmp(argv[i], "--mdb") == 0)
      package = std::filesystem::absolute(argv[i + 1]).string();
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "tiermend-copy-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 2;
  const std::filesystem::path work(pattern);
  int status = 0;
  try {
    copySqliteToSqlite(work, rows);
    if (!package.empty()) copyAccessToSqlite(work, package);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "bench_copy: %s\n", failure.what());
    status = 1;
  }
  std::filesystem::remove_all(work);
  return status;
}
