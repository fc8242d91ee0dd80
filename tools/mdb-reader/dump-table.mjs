// Dumps one table of an Access file, read by the npm package mdb-reader, as
// tab-separated text for the tests to compare with other readers.
//
//   node dump-table.mjs FILE TABLE [PASSWORD]
//
// The first line holds the column names. Each value is written in one canonical form:
// null as \N; Yes/No as 1 or 0; numbers as JavaScript prints them; Currency and Decimal
// as exact digits without trailing zeros; dates as "YYYY-MM-DD HH:MM:SS" (".mmm" added
// when there are milliseconds), with dates before 1899-12-30 counted as Access counts
// them; Replication IDs as "{...}" in upper case; binary as upper-case hex; text with
// backslash, tab, line feed and carriage return escaped as \\ \t \n \r.
import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

const [file, tableName, password] = process.argv.slice(2);
if (!file || !tableName) {
  process.stderr.write("usage: node dump-table.mjs FILE TABLE [PASSWORD]\n");
  process.exit(2);
}

const escapeText = (text) =>
  text.replace(/[\\\t\n\r]/g, (c) => ({ "\\": "\\\\", "\t": "\\t", "\n": "\\n", "\r": "\\r" })[c]);

const exactDigits = (text) => {
  let s = String(text);
  if (s.includes(".")) s = s.replace(/0+$/, "").replace(/\.$/, "");
  return s === "-0" ? "0" : s;
};

const two = (n) => String(n).padStart(2, "0");

// mdb-reader turns the stored day count into a Date as if it were linear before 1899-12-30
// too; Access keeps the time of day positive there. Recover the stored value and redo it.
const accessDateText = (date) => {
  const stored = date.getTime() / 86400000 + 25569;
  const days = Math.trunc(stored);
  const timeMs = Math.round(Math.abs(stored - days) * 86400000);
  const day = new Date(Date.UTC(1899, 11, 30) + days * 86400000);
  const ms = timeMs % 1000;
  const seconds = Math.floor(timeMs / 1000);
  let text =
    `${String(day.getUTCFullYear()).padStart(4, "0")}-${two(day.getUTCMonth() + 1)}-${two(day.getUTCDate())} ` +
    `${two(Math.floor(seconds / 3600))}:${two(Math.floor(seconds / 60) % 60)}:${two(seconds % 60)}`;
  if (ms !== 0) text += "." + String(ms).padStart(3, "0");
  return text;
};

const canonical = (value, column) => {
  if (value === null || value === undefined) return "\\N";
  switch (column.type) {
    case "boolean":
      return value ? "1" : "0";
    case "currency":
    case "numeric":
      return exactDigits(value);
    case "datetime":
      return accessDateText(value);
    case "repid":
      return "{" + String(value).toUpperCase() + "}";
    case "binary":
    case "ole":
      return Buffer.from(value).toString("hex").toUpperCase();
    case "text":
    case "memo":
      return escapeText(value);
    default:
      return String(value);
  }
};

const reader = new MDBReader(readFileSync(file), password ? { password } : {});
const table = reader.getTable(tableName);
const columns = table.getColumns();
const out = [columns.map((c) => c.name).join("\t")];
for (const row of table.getData()) {
  out.push(columns.map((c) => canonical(row[c.name], c)).join("\t"));
}
process.stdout.write(out.join("\n") + "\n");
