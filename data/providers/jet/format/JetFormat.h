// The Jet 3 (Access 97) and Jet 4 (Access 2000 to 2003, and the later ACE files read
// alike) on-disk format, in one place. Every other Jet file takes its numbers from here.
//
// Where each fact was confirmed is given beside it:
//   [H]  mdbtools' HACKING notes (the format description shipped with libmdb);
//   [F]  read from Access-made files in ../shared/fixtures/ (access-made/V1997_test.mdb and
//        V2000_test.mdb, jet3/nwind.mdb, types.mdb, tiermenddb.mdb): the three-way read
//        tests compare what this reader makes of them with mdb-export and mdb-reader;
//   [W]  written by our writer and read back alike by mdb-export and mdb-reader.
// All multi-byte numbers are little-endian [H].
//
// A file is a run of pages of one size, 2048 bytes in Jet 3, 4096 in Jet 4 [H][F]. The
// first byte of every page gives its type [H]:
//
//   0x00  the database definition page (always page 0)
//   0x01  a data page (rows of a table; long-value pages are data pages owned by "LVAL")
//   0x02  a table definition page
//   0x03  an intermediate index page
//   0x04  a leaf index page
//   0x05  a page of a usage map (the "reference" form below)
// The second byte of data, index and usage-map pages is 0x01 [H][F].
//
// Database definition page (page 0) [H][F]:
//   0x00  4  00 01 00 00
//   0x04 15  "Standard Jet DB" (or "Standard ACE DB" from Access 2007)
//   0x14  1  version: 0 Jet 3, 1 Jet 4, 2 and above the ACE formats (read up to 6)
//   0x18     from here 126 (Jet 3) or 128 (Jet 4) bytes are RC4-scrambled with the fixed
//            key 0x6b39dac7; the offsets below are in the unscrambled bytes
//   0x3C  2  the database code page (Jet 3 text is stored in it)
//   0x3E  4  the database key: when not 0, every page after page 0 is RC4-encrypted with
//            the key (database key XOR page number), 4 bytes little-endian [H]; a file
//            encrypted so is read alike by mdb-export and by this reader (the tests)
//   0x42 20/40  the database password (Jet 3: 8-bit; Jet 4: UTF-16LE, each 4 bytes
//            masked with the whole days of the creation date) [H][F]
//   0x72  8  the creation date (Jet 4), an OLE Automation date
//
// Data page [H][F][W]:
//   0     1  0x01
//   1     1  0x01
//   2     2  free space
//   4     4  the table definition page that owns it ("LVAL" on long-value pages)
//   8/12  2  row count (Jet 4 has four more unknown bytes before it)
//   then  2  per row, the row's offset entry: its start, in the low 13 bits, with two flags:
//            0x8000 deleted, 0x4000 an overflow row holding only a row pointer; Access
//            sets both on the moved halves of overflow rows [F].
//   Rows are stored from the end of the page downwards: row 0 ends at the page end,
//   every later row where the one before starts.
//
// Row pointer [H]: 4 bytes, the row number in the low byte, the page number above it.
//
// Row [H][F][W]:
//   Jet 4: column count (2), fixed values, variable values, end of data (2), the variable
//          values' starts last one first (2 each), variable count (2), null mask.
//   Jet 3: the same with 1-byte counts and starts, and a jump table before the variable
//          count: for every full 256 bytes of row, the first variable entry at or past
//          that boundary (stored last first); a start is its byte plus 256 for every
//          jump entry it is at or past. In Jet 3 the end of data is read as one more
//          variable start.
//   The null mask holds one bit per column (by column number), least significant bit
//   of the first byte first, (column count + 7) / 8 bytes; 1 means present. A Yes/No
//   value is its bit.
//
// Table definition [H][F]: a chain of type-0x02 pages (byte 4 of each: the next page, 0
// at the end), read as one run of bytes: the first page whole, each later page after
// its 8-byte header. The offsets in JetFormat below are into that run.
//   column entries (one per column, after the real-index counts), then the column names
//   (Jet 3: 1-byte length, code-page bytes; Jet 4: 2-byte length, UTF-16LE), then the
//   real-index entries, then the logical-index entries, then the index names.
//   A real-index entry names up to 10 columns, 3 bytes each: the column number (2, 0xFFFF
//   for an unused slot) and its order (1: bit 0 set ascending; see indexColumnOrder).
//
// Long value reference (memo and OLE columns, 12 bytes in the row) [H][F][W]:
//   0     4  length in the low 30 bits; 0x80000000 the value follows inline,
//            0x40000000 on one long-value row, neither: a chain of long-value rows
//   4     4  row pointer of the (first) long-value row
//   A chained row starts with the row pointer of the next (0 at the end).
//
// Usage map [H][F][W]: a row a row pointer names.
//   type 0 (inline): start page (4), then the bitmap, bit k standing for start + k
//   type 1 (reference): the page numbers (4 each) of type-0x05 pages; the i-th covers
//          pages i * (page size - 4) * 8 onwards with its bitmap from byte 4.
//   The global map (page 1, row 0) marks free pages; table maps mark the pages owned.
//
// Index page (Jet 4 only; one page of the file's size) [H][F][W]:
//   0     1  0x03 an intermediate (node) page, 0x04 a leaf page
//   1     1  0x01
//   2     2  free bytes of the entry area
//   4     4  the table definition page that owns it
//   8     4  zero
//   12    4  the previous page of its level (0: none); every level is a chain
//   16    4  the next page of its level (0: none)
//   20    4  the tail: on a node page its last child, which has no entry
//   24    2  the length of the key prefix all the page's entries share
//   26    1  zero
//   27  453  a bitmap whose bit n marks the end of an entry n bytes into the entries
//   480      the entries: the first one whole, the others without the shared prefix
//   A leaf entry is a key, then its row: the page (3 bytes) and row number (1), both
//   big-endian. A node entry equals its child's last entry, then the child's page
//   number (4, big-endian).
//
// Index key (the bytes entries are sorted by) [F][W]: for each key column in turn, a
// flag byte (0x7F a value, 0x00 null), then the value, big-endian so that bytes sort as
// values: whole numbers and currency in two's complement with the sign bit flipped;
// Single and Double IEEE bits, positives with the sign bit flipped, negatives wholly
// inverted; Yes 0x00, No 0xFF (Yes is -1 in Access); a GUID in runs of 8 bytes, each
// followed by the count of its bytes that hold data, or 9 when another run follows. A
// descending column's bytes, flag included, are all inverted. A key is at most 1800
// bytes. Text in the General legacy sort order (locale 1033, version 0): the first 255
// UTF-16 units without trailing spaces, each character's inline codes, 0x01, then
// where any character has one, its accent bytes (0x02 for one without), then the flags
// (0x80 and two bits a character), the flags' trailer FF 02 80 FF 80, then for each
// unprintable character its position ((7 + 4 x slot) | 0x8000, big-endian), 0x06 and its
// bytes; 0x00 ends the key text. A closing flag of 3 says nothing and is left out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "data/providers/jet/format/ByteOrder.h"

namespace tiermend::data::jet {

// Page types: the first byte of every page [H].
enum class JetPageType : std::uint8_t {
  Database = 0x00,
  Data = 0x01,
  TableDefinition = 0x02,
  IndexNode = 0x03,
  IndexLeaf = 0x04,
  UsageMap = 0x05,
};

// Column kinds [H][F].
enum JetKind : int {
  kJetBoolean = 0x01,
  kJetByte = 0x02,
  kJetInt16 = 0x03,
  kJetInt32 = 0x04,
  kJetCurrency = 0x05,
  kJetSingle = 0x06,
  kJetDouble = 0x07,
  kJetDateTime = 0x08,
  kJetBinary = 0x09,
  kJetText = 0x0A,
  kJetOle = 0x0B,
  kJetMemo = 0x0C,
  kJetGuid = 0x0F,
  kJetDecimal = 0x10,
  kJetComplex = 0x12,  // attachments and multi-valued columns: a 32-bit key (ACE)
  kJetInt64 = 0x13,    // Large Number (ACE)
};

// Column flags: the flag byte of a column entry [H][F].
inline constexpr std::uint8_t kColumnFixed = 0x01;
inline constexpr std::uint8_t kColumnNullable = 0x02;
inline constexpr std::uint8_t kColumnAutoLong = 0x04;
inline constexpr std::uint8_t kColumnAutoGuid = 0x40;
inline constexpr std::uint8_t kColumnHyperlink = 0x80;
// Jet 4: the byte after the flags [H][F].
inline constexpr std::size_t kJet4ColumnMoreFlagsOffset = 16;
inline constexpr std::uint8_t kColumnCompressedUnicode = 0x01;

// Real-index flags [H].
inline constexpr std::uint8_t kIndexUnique = 0x01;
inline constexpr std::uint8_t kIndexIgnoreNulls = 0x02;
inline constexpr std::uint8_t kIndexRequired = 0x08;
// Logical-index types [H].
inline constexpr std::uint8_t kIndexPrimaryKey = 0x01;
inline constexpr std::uint8_t kIndexForeignKey = 0x02;
// Jet 4 text columns: the sort order's locale id (2 bytes) and version (1 byte) in the
// column entry [F]; Access-made files give 1033 and 0, "General" in its legacy form.
// In Jet 4 the real-index flags follow the first page after 4 bytes of unknown use, at
// 46: Access gives 0x80 to every index it makes and adds 0x01 and 0x08 for a primary
// key [F]. Each entry of the real-index counts block holds the index's entry count at 4
// [F] (Access-made files: the table's row count).
inline constexpr std::size_t kJet4ColumnSortOrderOffset = 11;
inline constexpr std::size_t kJet4ColumnSortVersionOffset = 14;
inline constexpr std::size_t kJet4RealIndexEntryCountOffset = 4;
// Columns a real index can name, one slot each: the column number, then its order;
// unused slots hold 0xFFFF [H].
inline constexpr int kIndexColumnSlots = 10;
inline constexpr std::size_t kIndexColumnSlotSize = 3;
inline constexpr std::size_t kIndexColumnOrderOffset = 2;
// The order byte of a key column [H][F]: Access writes 0x01 for ascending and 0x00 for
// descending, and reads bit 0 alone, as Jackcess does; 0xFF (bit 0 set) is then
// ascending and 0x02, which other programs have written for descending, descending.
// Any other value means nothing known: its other bits would say something no reader
// knows, so such an index is refused rather than rebuilt in a guessed order.
inline constexpr std::uint8_t kIndexColumnAscending = 0x01;
inline constexpr std::uint8_t kIndexColumnDescending = 0x00;
enum class JetIndexOrder { Ascending, Descending, Unknown };
inline constexpr JetIndexOrder indexColumnOrder(std::uint8_t flag) {
  switch (flag) {
    case kIndexColumnAscending:
    case 0xFF:
      return JetIndexOrder::Ascending;
    case kIndexColumnDescending:
    case 0x02:
      return JetIndexOrder::Descending;
    default:
      return JetIndexOrder::Unknown;
  }
}
inline constexpr std::uint16_t kNoIndexColumn = 0xFFFF;

// The second byte of the pages the writer makes [H][F].
inline constexpr std::uint8_t kPageSecondByte = 0x01;

// A data page's row count and each of its row-offset entries: 2 bytes [H][F].
inline constexpr std::size_t kDataRowCountSize = 2;
inline constexpr std::size_t kRowEntrySize = 2;
// Row-offset entries of a data page [H][F].
inline constexpr std::uint16_t kRowDeletedFlag = 0x8000;
inline constexpr std::uint16_t kRowOverflowFlag = 0x4000;
inline constexpr std::uint16_t kRowStartMask = 0x1FFF;
// Access and Jackcess put at most this many rows on one data page [W].
inline constexpr int kMostRowsOnPage = 255;

// Row pointers [H].
inline constexpr std::uint32_t rowPointer(std::uint32_t page, std::uint32_t row) {
  return page << 8 | (row & 0xFF);
}
inline constexpr std::uint32_t pageOfPointer(std::uint32_t pointer) {
  return pointer >> 8;
}
inline constexpr std::uint32_t rowOfPointer(std::uint32_t pointer) {
  return pointer & 0xFF;
}
inline constexpr std::size_t kRowPointerSize = 4;
// The most pages a file can have: a row pointer keeps 3 bytes of page number [H].
inline constexpr std::uint32_t kMostPagesInFile = pageOfPointer(UINT32_MAX);

// Jet 3 rows: one jump-table entry for every full stretch of this many bytes [H][F].
inline constexpr std::size_t kJet3JumpStride = 256;
// The packer writes a jump-table entry past the row's last variable start as this [W].
inline constexpr std::uint8_t kJet3UnusedJump = 0xFF;

// The owner field of long-value pages: "LVAL" [H][F].
inline constexpr std::uint32_t kLongValueOwner = 0x4C41564C;

// Long value references [H][F].
inline constexpr std::size_t kLongValueReferenceSize = 12;
inline constexpr std::uint32_t kLongValueInline = 0x80000000;
inline constexpr std::uint32_t kLongValueSinglePage = 0x40000000;
inline constexpr std::uint32_t kLongValueLengthMask = 0x3FFFFFFF;

// Usage maps [H][F]: the first byte gives the kind.
inline constexpr std::uint8_t kUsageMapInline = 0;
inline constexpr std::uint8_t kUsageMapReference = 1;
inline constexpr std::size_t kInlineMapStartPageOffset = 1;
inline constexpr std::size_t kInlineMapBitmapStart = 5;  // after the type and the start page
inline constexpr std::size_t kReferenceMapPagesOffset = 1;
inline constexpr std::size_t kReferenceMapPageEntrySize = 4;
inline constexpr std::size_t kMapPageBitmapStart = 4;  // on a type-0x05 page
// The global usage map is row 0 of page 1 [H][F].
inline constexpr std::uint32_t kGlobalMapPointer = rowPointer(1, 0);

// Database definition page [H][F].
inline constexpr std::string_view kSignatureStart{"\0\1\0\0", 4};
inline constexpr std::size_t kSignatureNameOffset = 4;
inline constexpr std::size_t kSignatureNameLength = 15;
inline constexpr std::string_view kJetSignatureName = "Standard Jet DB";
inline constexpr std::string_view kAceSignatureName = "Standard ACE DB";
inline constexpr std::size_t kSignatureLength = kSignatureNameOffset + kSignatureNameLength;
inline constexpr std::size_t kVersionOffset = 0x14;
inline constexpr int kJet3Version = 0;
inline constexpr int kJet4Version = 1;
inline constexpr int kHighestKnownVersion = 6;  // the highest this reader accepts
// The fixed RC4 key of the scrambled part, stored as 4 bytes little-endian.
inline constexpr std::uint32_t kHeaderScrambleKey = 0x6B39DAC7;
inline constexpr std::size_t kHeaderScrambleStart = 0x18;
inline constexpr std::size_t kCodePageOffset = 0x3C;
inline constexpr std::size_t kDatabaseKeyOffset = 0x3E;
inline constexpr std::size_t kPasswordOffset = 0x42;
inline constexpr std::size_t kCreationDateOffset = 0x72;
// The catalogue (MSysObjects) is defined on page 2 [H][F].
inline constexpr std::uint32_t kCatalogueDefinitionPage = 2;
// Later pages of a table definition start with this header before their bytes [H][F].
inline constexpr std::size_t kDefinitionContinuationHeader = 8;
// The catalogue's rows [H][F]: an object's type (Type & 0x7F; 1 for a table), its
// definition page (the low three bytes of its Id), and the flags of system objects.
inline constexpr std::uint32_t kTableObject = 1;
inline constexpr std::uint32_t kObjectTypeMask = 0x7F;
inline constexpr std::uint32_t kDefinitionPageMask = 0x00FFFFFF;
inline constexpr std::uint32_t kSystemObjectFlags = 0x80000002;
// Relationship flags: the grbit of a row of MSysRelationships, as DAO names them [F].
inline constexpr std::int64_t kRelationNotEnforced = 0x2;
inline constexpr std::int64_t kRelationCascadeUpdates = 0x100;
inline constexpr std::int64_t kRelationCascadeDeletes = 0x1000;
// Table types in a definition [H][F].
inline constexpr std::uint8_t kUserTable = 0x4E;
inline constexpr std::uint8_t kSystemTable = 0x53;

// What differs between Jet 3 and Jet 4.
struct JetFormat {
  bool jet3;
  std::size_t pageSize;

  // Data page [H][F].
  std::size_t dataOwnerOffset;     // 4: the owning table definition page
  std::size_t dataRowCountOffset;  // the row count; the offset entries follow it
  std::size_t dataFreeSpaceOffset;

  // Table definition, offsets into the definition's bytes [H][F].
  std::size_t definitionNextPageOffset;  // on every definition page
  std::size_t definitionLengthOffset;
  std::size_t rowCountOffset;
  std::size_t autoNumberOffset;
  std::size_t tableTypeOffset;
  std::size_t rowColumnCountOffset;  // "max columns": the count each row starts with
  std::size_t varColumnCountOffset;
  std::size_t columnCountOffset;
  std::size_t indexCountOffset;
  std::size_t realIndexCountOffset;
  std::size_t ownedMapOffset;        // row pointer of the map of the pages the table owns
  std::size_t freeMapOffset;         // row pointer of the map of its pages with free space
  std::size_t realIndexCountsStart;  // one entry per real index, then the columns
  std::size_t realIndexCountEntrySize;

  // Column entry [H][F].
  std::size_t columnEntrySize;
  std::size_t columnKindOffset;
  std::size_t columnNumberOffset;
  std::size_t columnVarIndexOffset;
  std::size_t columnRowNumberOffset;  // the number again
  std::size_t columnPrecisionOffset;  // Decimal: precision, then scale in the next byte
  std::size_t columnScaleOffset;
  std::size_t columnFlagsOffset;
  std::size_t columnFixedOffsetOffset;
  std::size_t columnSizeOffset;
  std::size_t columnNameLengthSize;  // 1 (Jet 3, code-page bytes) or 2 (Jet 4, UTF-16LE)
  int mostTextBytes;                 // a text or binary column's largest size: 255 characters

  // Real-index entry, after the column names [H].
  std::size_t realIndexEntrySize;
  std::size_t realIndexColumnsOffset;  // kIndexColumnSlots x (number 2, order 1)
  std::size_t realIndexUsageMapOffset;
  std::size_t realIndexFirstPageOffset;
  std::size_t realIndexFlagsOffset;

  // Logical-index entry, after the real-index entries [H].
  std::size_t indexEntrySize;
  std::size_t indexNumberOffset;
  std::size_t indexRealIndexOffset;
  std::size_t indexTypeOffset;

  // Row layout [H][F].
  std::size_t rowCountSize;  // column count, variable starts, variable count: 1 or 2

  // Database definition page [H][F].
  std::size_t headerScrambleLength;
  std::size_t passwordLength;

  // The start of a data page's row-offset entries, after the row count.
  std::size_t rowEntriesStart() const { return dataRowCountOffset + kDataRowCountSize; }
  // The most bytes one row can take: a page less its header and one offset entry [H][W].
  std::size_t mostRowBytes() const { return pageSize - rowEntriesStart() - kRowEntrySize; }
  // The bytes a long-value chain row holds after its next-row pointer [H].
  std::size_t chainRowBytes() const { return mostRowBytes() - kRowPointerSize; }
  // Pages one usage-map page covers [H].
  std::size_t pagesPerMapPage() const { return (pageSize - kMapPageBitmapStart) * 8; }
  // The start of row-offset entry row on a data page.
  std::size_t rowEntryOffset(std::size_t row) const {
    return rowEntriesStart() + kRowEntrySize * row;
  }
};

inline constexpr JetFormat kJet3Format{
    .jet3 = true,
    .pageSize = 2048,
    .dataOwnerOffset = 4,
    .dataRowCountOffset = 8,
    .dataFreeSpaceOffset = 2,
    .definitionNextPageOffset = 4,
    .definitionLengthOffset = 8,
    .rowCountOffset = 12,
    .autoNumberOffset = 16,
    .tableTypeOffset = 20,
    .rowColumnCountOffset = 21,
    .varColumnCountOffset = 23,
    .columnCountOffset = 25,
    .indexCountOffset = 27,
    .realIndexCountOffset = 31,
    .ownedMapOffset = 35,
    .freeMapOffset = 39,
    .realIndexCountsStart = 43,
    .realIndexCountEntrySize = 8,
    .columnEntrySize = 18,
    .columnKindOffset = 0,
    .columnNumberOffset = 1,
    .columnVarIndexOffset = 3,
    .columnRowNumberOffset = 5,
    .columnPrecisionOffset = 9,
    .columnScaleOffset = 10,
    .columnFlagsOffset = 13,
    .columnFixedOffsetOffset = 14,
    .columnSizeOffset = 16,
    .columnNameLengthSize = 1,
    .mostTextBytes = 255,
    .realIndexEntrySize = 39,
    .realIndexColumnsOffset = 0,
    .realIndexUsageMapOffset = 30,
    .realIndexFirstPageOffset = 34,
    .realIndexFlagsOffset = 38,
    .indexEntrySize = 20,
    .indexNumberOffset = 0,
    .indexRealIndexOffset = 4,
    .indexTypeOffset = 19,
    .rowCountSize = 1,
    .headerScrambleLength = 126,
    .passwordLength = 20,
};

inline constexpr JetFormat kJet4Format{
    .jet3 = false,
    .pageSize = 4096,
    .dataOwnerOffset = 4,
    .dataRowCountOffset = 12,
    .dataFreeSpaceOffset = 2,
    .definitionNextPageOffset = 4,
    .definitionLengthOffset = 8,
    .rowCountOffset = 16,
    .autoNumberOffset = 20,
    .tableTypeOffset = 40,
    .rowColumnCountOffset = 41,
    .varColumnCountOffset = 43,
    .columnCountOffset = 45,
    .indexCountOffset = 47,
    .realIndexCountOffset = 51,
    .ownedMapOffset = 55,
    .freeMapOffset = 59,
    .realIndexCountsStart = 63,
    .realIndexCountEntrySize = 12,
    .columnEntrySize = 25,
    .columnKindOffset = 0,
    .columnNumberOffset = 5,
    .columnVarIndexOffset = 7,
    .columnRowNumberOffset = 9,
    .columnPrecisionOffset = 11,
    .columnScaleOffset = 12,
    .columnFlagsOffset = 15,
    .columnFixedOffsetOffset = 21,
    .columnSizeOffset = 23,
    .columnNameLengthSize = 2,
    .mostTextBytes = 510,
    .realIndexEntrySize = 52,
    .realIndexColumnsOffset = 4,
    .realIndexUsageMapOffset = 34,
    .realIndexFirstPageOffset = 38,
    .realIndexFlagsOffset = 46,
    .indexEntrySize = 28,
    .indexNumberOffset = 4,
    .indexRealIndexOffset = 8,
    .indexTypeOffset = 23,
    .rowCountSize = 2,
    .headerScrambleLength = 128,
    .passwordLength = 40,
};

inline const JetFormat& jetFormat(bool jet3) {
  return jet3 ? kJet3Format : kJet4Format;
}

// Index pages [H][F][W]: Jet 4 only, so of its page size.
inline constexpr std::size_t kIndexFreeSpaceOffset = 2;
inline constexpr std::size_t kIndexTableDefinitionOffset = 4;
inline constexpr std::size_t kIndexPreviousOffset = 12;
inline constexpr std::size_t kIndexNextOffset = 16;
inline constexpr std::size_t kIndexTailOffset = 20;
inline constexpr std::size_t kIndexPrefixLengthOffset = 24;
inline constexpr std::size_t kIndexEntryEndsOffset = 27;
inline constexpr std::size_t kIndexEntriesStart = 480;
inline constexpr std::size_t kIndexEntryEndsBytes = kIndexEntriesStart - kIndexEntryEndsOffset;
inline constexpr std::size_t kIndexEntriesSpace = kJet4Format.pageSize - kIndexEntriesStart;
// An entry's row: 3 bytes of page and 1 of row number; a node entry adds 4 of child.
inline constexpr std::size_t kIndexEntryRowPageSize = 3;
inline constexpr std::size_t kIndexEntryRowSize = kIndexEntryRowPageSize + 1;
inline constexpr std::size_t kIndexEntryChildSize = 4;
inline constexpr std::uint32_t kMostIndexEntryRowPage = (1u << (8 * kIndexEntryRowPageSize)) - 1;

// Values in rows [H][F][W]: Currency a 64-bit count of ten-thousandths; Decimal a sign
// byte (not 0: negative; written 0x80) and the unscaled integer as four 32-bit words,
// the most significant first. Jet 4 text may be compressed: FF FE, then one byte a
// character; Access compresses at most 1024 characters. Jet 3 text is in the file's code
// page, Windows-1252 where the header gives none.
inline constexpr int kCurrencyScale = 4;
inline constexpr std::uint8_t kDecimalNegative = 0x80;
inline constexpr int kDecimalWords = 4;
inline constexpr std::size_t kDecimalWordsStart = 1;
inline constexpr std::uint8_t kCompressedTextMark[] = {0xFF, 0xFE};
inline constexpr std::size_t kMostCompressedCharacters = 1024;
inline constexpr unsigned kJet3DefaultCodePage = 1252;
// A table has at most 255 columns; a row counts deleted ones too, up to this many [H].
inline constexpr int kMostRowColumns = 0xFFFF;
// The system tables this engine reads [H][F].
inline constexpr const char* kCatalogueTable = "MSysObjects";
inline constexpr const char* kRelationshipsTable = "MSysRelationships";

// Index keys [F][W].
inline constexpr std::uint8_t kKeyValueFlag = 0x7F;
inline constexpr std::uint8_t kKeyNullFlag = 0x00;
inline constexpr std::uint8_t kKeySignBit = 0x80;  // of the first byte of a number
inline constexpr std::uint8_t kKeyYes = 0x00;
inline constexpr std::uint8_t kKeyNo = 0xFF;
inline constexpr std::size_t kKeyGuidRun = 8;
inline constexpr std::uint8_t kKeyMoreRunsFollow = 9;
inline constexpr std::size_t kMaxIndexKeyBytes = 1800;
// Text keys in the General legacy sort order [F][W].
inline constexpr std::uint16_t kGeneralLegacySortLocale = 1033;
inline constexpr std::uint8_t kGeneralLegacySortVersion = 0;
inline constexpr std::size_t kIndexedTextUnits = 255;
inline constexpr std::uint8_t kTextKeyEndOfText = 0x01;
inline constexpr std::uint8_t kTextKeyEndOfKey = 0x00;
inline constexpr std::uint8_t kTextKeyNoAccent = 0x02;
inline constexpr std::uint8_t kTextKeyFlagsByteStart = 0x80;
inline constexpr std::uint8_t kTextKeyFlagsTrailer[] = {0xFF, 0x02, 0x80, 0xFF, 0x80};
inline constexpr std::uint8_t kTextKeyFlagsBeforeUnprintable = 0xFF;
inline constexpr std::uint8_t kTextKeyUnprintableMark = 0x06;
inline constexpr std::uint8_t kTextKeyPlainFlag = 3;
inline constexpr std::uint16_t kTextKeyUnprintablePositionFlag = 0x8000;
inline constexpr std::size_t kTextKeyUnprintableFirstPosition = 7;
inline constexpr std::size_t kTextKeyUnprintablePositionStep = 4;

}  // namespace tiermend::data::jet
