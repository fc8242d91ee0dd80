// Parsing the simple statements a Jet session runs.
#include "data/providers/jet/JetStatement.h"

#include <algorithm>
#include <cctype>

#include "data/EngineError.h"
#include "data/value/AsciiText.h"

namespace tiermend::data::jet {

namespace {

struct Token {
  enum class Type { Word, Name, Symbol, End } type = Type::End;
  std::string text;  // a Name keeps its spelling; a Word is also compared case-insensitively
};

const char* const kInvalidStatement =
    "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.";
const char* const kUnsupportedSelect =
    "Only statements of the form 'select <columns> from <table>' can be run on this database.";

bool isWordByte(unsigned char c) {
  return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

class Tokenizer {
 public:
  explicit Tokenizer(const std::string& sql) : sql_(sql) {}

  Token next() {
    while (pos_ < sql_.size() && std::isspace(static_cast<unsigned char>(sql_[pos_]))) ++pos_;
    if (pos_ >= sql_.size()) return {};
    const char c = sql_[pos_];
    if (c == '[') return bracketed();
    if (isWordByte(static_cast<unsigned char>(c))) {
      const std::size_t start = pos_;
      while (pos_ < sql_.size() && isWordByte(static_cast<unsigned char>(sql_[pos_]))) ++pos_;
      return {Token::Type::Word, sql_.substr(start, pos_ - start)};
    }
    ++pos_;
    return {Token::Type::Symbol, std::string(1, c)};
  }

 private:
  Token bracketed() {
    const std::size_t close = sql_.find(']', pos_ + 1);
    if (close == std::string::npos || close == pos_ + 1) throw EngineError(kUnsupportedSelect);
    Token token{Token::Type::Name, sql_.substr(pos_ + 1, close - pos_ - 1)};
    pos_ = close + 1;
    return token;
  }

  const std::string& sql_;
  std::size_t pos_ = 0;
};

bool isKeyword(const Token& token, const char* keyword) {
  if (token.type != Token::Type::Word) return false;
  return equalsIgnoringCase(token.text, keyword);
}

bool isSymbol(const Token& token, char symbol) {
  return token.type == Token::Type::Symbol && token.text.size() == 1 && token.text[0] == symbol;
}

bool isName(const Token& token) {
  return token.type == Token::Type::Name || token.type == Token::Type::Word;
}

bool changesData(const Token& verb) {
  for (const char* keyword : {"insert", "update", "delete", "create", "drop", "alter", "grant",
                              "revoke", "add", "transform"}) {
    if (isKeyword(verb, keyword)) return true;
  }
  return false;
}

// After "select": either "*" or a comma-separated list of column names, then "from".
// Returns true when the statement is a "select ... into", which would create a table.
bool parseSelectList(Tokenizer& tokens, JetStatement& statement) {
  Token token = tokens.next();
  if (isSymbol(token, '*')) {
    token = tokens.next();
  } else {
    while (true) {
      if (!isName(token) || isKeyword(token, "from")) throw EngineError(kUnsupportedSelect);
      statement.columns.push_back(token.text);
      token = tokens.next();
      if (!isSymbol(token, ',')) break;
      token = tokens.next();
    }
  }
  if (isKeyword(token, "into")) return true;
  if (!isKeyword(token, "from")) throw EngineError(kUnsupportedSelect);
  return false;
}

}  // namespace

JetStatement parseStatement(const std::string& sql) {
  Tokenizer tokens(sql);
  const Token verb = tokens.next();
  JetStatement statement;
  if (changesData(verb)) {
    statement.kind = JetStatement::Kind::Changing;
    return statement;
  }
  if (!isKeyword(verb, "select")) throw EngineError(kInvalidStatement);
  if (parseSelectList(tokens, statement)) {
    statement.kind = JetStatement::Kind::Changing;
    statement.columns.clear();
    return statement;
  }
  const Token table = tokens.next();
  if (!isName(table)) throw EngineError(kUnsupportedSelect);
  statement.table = table.text;
  Token rest = tokens.next();
  while (isSymbol(rest, ';')) rest = tokens.next();
  if (rest.type != Token::Type::End) throw EngineError(kUnsupportedSelect);
  return statement;
}

}  // namespace tiermend::data::jet
