// The three readers of a table and their comparison (see ThreeWayRead.h).
#include "tests/support/ThreeWayRead.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "data/providers/jet/JetProvider.h"
#include "data/value/HexText.h"

extern char** environ;

namespace tiermend::testing {

namespace {

using data::ColumnType;

std::string escapeText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string exactDigits(std::string text) {
  if (text.find('.') != std::string::npos) {
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  return text == "-0" ? "0" : text;
}

std::string dateText(const data::DateTime& d) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                d.minute, d.second);
  std::string out = text;
  if (d.millisecond != 0) {
    std::snprintf(text, sizeof text, ".%03d", d.millisecond);
    out += text;
  }
  return out;
}

std::string canonical(const data::Value& value) {
  struct Visitor {
    std::string operator()(const data::Null&) const { return "\\N"; }
    std::string operator()(bool b) const { return b ? "1" : "0"; }
    std::string operator()(std::int64_t n) const { return std::to_string(n); }
    std::string operator()(double x) const {
      char text[40];
      std::snprintf(text, sizeof text, "%.17g", x);
      return text;
    }
    std::string operator()(const data::Decimal& d) const { return exactDigits(d.text); }
    std::string operator()(const data::DateTime& d) const { return dateText(d); }
    std::string operator()(const std::string& s) const { return escapeText(s); }
    std::string operator()(const data::Bytes& b) const { return data::hexText(b); }
  };
  return std::visit(Visitor{}, value);
}

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  for (;;) {
    const auto tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

// Runs a program (found on PATH) and returns what it prints; throws when it fails.
std::string output(const std::vector<std::string>& argv) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[65536];
  for (ssize_t n; spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, n);
  close(out[0]);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    throw std::runtime_error(argv[0] + " failed on " + argv[argv.size() > 2 ? argv.size() - 2 : 0]);
  }
  return text;
}

TableText parse(const std::string& text) {
  TableText table;
  std::istringstream lines(text);
  std::string line;
  bool header = true;
  while (std::getline(lines, line)) {
    if (header) {
      table.columns = splitTabs(line);
      header = false;
    } else {
      table.rows.push_back(splitTabs(line));
    }
  }
  return table;
}

// Text as mdb-export prints it: each character beyond the Basic Multilingual Plane as "??".
std::string withoutAstralCharacters(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0xF0) {
      out += "??";
      i += 4;
    } else {
      out += text[i++];
    }
  }
  return out;
}

bool sameNumber(const std::string& a, const std::string& b, double relative) {
  if (a == b) return true;
  if (a == "\\N" || b == "\\N") return false;
  char* endA = nullptr;
  char* endB = nullptr;
  const double x = std::strtod(a.c_str(), &endA);
  const double y = std::strtod(b.c_str(), &endB);
  if (*endA || *endB) return false;
  if (x == y) return true;
  return std::fabs(x - y) <= relative * std::max(std::fabs(x), std::fabs(y));
}

// The text whose bytes digits spells in hex; "\x01" (no GUID text) when it is not hex.
std::string unhex(const std::string& digits) {
  if (digits.size() % 2 != 0 ||
      digits.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos) {
    return "\x01";
  }
  std::string out;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
  }
  return out;
}

// libmdb leaves out the hyphen between the last two groups of a GUID's text.
std::string withoutHyphens(std::string text) {
  std::erase(text, '-');
  return text;
}

bool agreesWithMdbReader(ColumnType type, const std::string& ours, const std::string& theirs) {
  if (type == ColumnType::Single || type == ColumnType::Double) return sameNumber(ours, theirs, 0);
  return ours == theirs;
}

bool agreesWithMdbExport(ColumnType type, const std::string& ours, const std::string& theirs) {
  switch (type) {
    case ColumnType::Single:
      return sameNumber(ours, theirs, 1e-7);
    case ColumnType::Double:
      return sameNumber(ours, theirs, 1e-15);
    case ColumnType::DateTime:
    case ColumnType::Date:
    case ColumnType::Time:
      if (ours == "\\N" || theirs == "\\N") return ours == theirs;
      // The impossible day 0 is what libmdb prints for a date it cannot convert (before
      // 1900, and the last days of 9999); mdb-reader alone judges those.
      if (theirs == "1900-01-00 00:00:00") return true;
      return ours.compare(0, 19, theirs) == 0 && theirs.size() == 19;
    case ColumnType::Text:
    case ColumnType::Memo:
      if (theirs == "\\N") return ours == "\\N" || ours.empty();
      return withoutAstralCharacters(ours) == theirs;
    case ColumnType::Guid:
      return theirs == "\\N" ? ours == theirs
                             : withoutHyphens(unhex(theirs)) == withoutHyphens(ours);
    case ColumnType::Currency:
    case ColumnType::Decimal:
      return ours == exactDigits(theirs);
    default:
      return ours == theirs;
  }
}

template <typename Agrees>
std::string difference(const TableText& ours, const TableText& theirs, const char* reader,
                       Agrees agrees) {
  if (ours.columns != theirs.columns) return std::string(reader) + ": other column names";
  if (ours.rows.size() != theirs.rows.size()) {
    return std::string(reader) + ": " + std::to_string(theirs.rows.size()) + " rows, ours " +
           std::to_string(ours.rows.size());
  }
  for (std::size_t r = 0; r < ours.rows.size(); ++r) {
    const auto& a = ours.rows[r];
    const auto& b = theirs.rows[r];
    if (a.size() != b.size())
      return std::string(reader) + ": row " + std::to_string(r) + " has other columns";
    for (std::size_t c = 0; c < a.size(); ++c) {
      if (!agrees(ours.types[c], a[c], b[c])) {
        return std::string(reader) + ": row " + std::to_string(r) + " column " + ours.columns[c] +
               ": '" + b[c] + "', ours '" + a[c] + "'";
      }
    }
  }
  return {};
}

}  // namespace

TableText readWithOurCursor(const std::string& path, const std::string& table,
                            const std::string& password) {
  auto session = data::jet::openSession(path, password);
  auto cursor = session->query("select * from [" + table + "]");
  TableText text;
  std::vector<bool> shown;
  for (const auto& column : cursor->columns()) {
    shown.push_back(!column.hidden);
    if (column.hidden) continue;
    text.columns.push_back(column.name);
    text.types.push_back(column.type);
  }
  std::vector<data::Value> row;
  while (cursor->fetch(row)) {
    std::vector<std::string> values;
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (shown[i]) values.push_back(canonical(row[i]));
    }
    text.rows.push_back(std::move(values));
  }
  return text;
}

TableText readWithMdbExport(const std::string& path, const std::string& table) {
  return parse(output({"mdb-export", "-d", "\t", "-Q", "-e", "-0", "\\N", "-b", "hex", "-D",
                       "%Y-%m-%d %H:%M:%S", "-T", "%Y-%m-%d %H:%M:%S", path, table}));
}

TableText readWithMdbReader(const std::string& path, const std::string& table,
                            const std::string& password) {
  std::vector<std::string> argv{"node", TIERMEND_MDB_READER_SCRIPT, path, table};
  if (!password.empty()) argv.push_back(password);
  return parse(output(argv));
}

std::string readingDifference(const TableText& ours, const TableText& theirs, Reader reader) {
  if (reader == Reader::MdbReader)
    return difference(ours, theirs, "mdb-reader", agreesWithMdbReader);
  return difference(ours, theirs, "mdb-export", agreesWithMdbExport);
}

std::string threeWayDifference(const std::string& path, const std::string& table,
                               const std::string& password, TableText* oursOut) {
  const TableText ours = readWithOurCursor(path, table, password);
  std::string found =
      readingDifference(ours, readWithMdbReader(path, table, password), Reader::MdbReader);
  if (found.empty()) {
    found = readingDifference(ours, readWithMdbExport(path, table), Reader::MdbExport);
  }
  if (oursOut) *oursOut = ours;
  return found;
}

}  // namespace tiermend::testing
