// The SQL Server Browser's answer to the question for one instance (see SqlServerBrowser.h).
#include "data/providers/odbc/SqlServerBrowser.h"

#include <vector>

#include "data/value/AsciiText.h"
#include "platform/DatagramQuery.h"

namespace tiermend::data::odbc {
namespace {

constexpr char kInstanceQuestion = 0x04;
constexpr char kServerAnswer = 0x05;

std::vector<std::string_view> fields(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(';', start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

bool isPortNumber(std::string_view text) {
  return !text.empty() && text.size() <= 5 &&
         text.find_first_not_of("0123456789") == std::string_view::npos &&
         std::stoi(std::string(text)) >= 1 && std::stoi(std::string(text)) <= 65535;
}

}  // namespace

std::string instanceQuestion(std::string_view instance) {
  std::string question(1, kInstanceQuestion);
  question += instance;
  question += '\0';
  return question;
}

std::string tcpPortInAnswer(std::string_view answer, std::string_view instance) {
  if (answer.size() < 3 || answer[0] != kServerAnswer) return {};
  const std::size_t length = static_cast<unsigned char>(answer[1]) |
                             static_cast<std::size_t>(static_cast<unsigned char>(answer[2])) << 8;
  std::string_view text = answer.substr(3, length);
  // Pairs of name and value; each instance's list ends with an empty field.
  const std::vector<std::string_view> parts = fields(text);
  bool ours = false;
  for (std::size_t i = 0; i < parts.size();) {
    if (parts[i].empty()) {
      ours = false;
      ++i;
      continue;
    }
    if (i + 1 >= parts.size()) break;
    const std::string_view name = parts[i];
    const std::string_view value = parts[i + 1];
    if (equalsIgnoringCase(name, "InstanceName")) ours = equalsIgnoringCase(value, instance);
    if (ours && equalsIgnoringCase(name, "tcp") && isPortNumber(value)) return std::string(value);
    i += 2;
  }
  return {};
}

InstancePort lookUpInstancePort(const std::string& host, const std::string& instance,
                                int browserPort, std::chrono::milliseconds wait) {
  const std::string browser = "the SQL Server Browser on '" + host + "'";
  const DatagramAnswer answer = askByDatagram(host, browserPort, instanceQuestion(instance), wait);
  switch (answer.outcome) {
    case DatagramAnswer::Outcome::Failed:
      return {{}, browser + " cannot be asked: " + answer.reason};
    case DatagramAnswer::Outcome::NoAnswer: {
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
      return {{},
              browser + " did not answer within " + std::to_string(seconds) +
                  (seconds == 1 ? " second" : " seconds")};
    }
    case DatagramAnswer::Outcome::Answered:
      break;
  }
  std::string port = tcpPortInAnswer(answer.reply, instance);
  if (port.empty()) return {{}, browser + " gives no TCP port for it"};
  return {port, {}};
}

}  // namespace tiermend::data::odbc
