#pragma once
// Reading back what a results folder holds: CSV tables as R's read.csv reads
// them, and a check that a picture is well-formed XML.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "e2e/harness.hpp"

namespace arribada::e2e {

// One table: its rows (after the header) as column name -> field text, with
// the quotes of a quoted text removed and doubled quotes made single.
using CsvTable = std::vector<std::map<std::string, std::string>>;

inline std::vector<std::string> csvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// Every line must end with CR LF and hold as many fields as the header.
inline CsvTable readCsv(const std::filesystem::path& path) {
  const std::string text = readFile(path);
  EXPECT_TRUE(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") << path;
  const std::vector<std::string> lines = splitLines(text, "\r\n");
  CsvTable table;
  if (lines.empty()) return table;
  const std::vector<std::string> header = csvFields(lines[0]);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> fields = csvFields(lines[i]);
    EXPECT_EQ(fields.size(), header.size()) << path << " line " << i + 1;
    auto& row = table.emplace_back();
    for (std::size_t k = 0; k < header.size() && k < fields.size(); ++k) row[header[k]] = fields[k];
  }
  return table;
}

// Whether `text` is a well-formed XML document with an <svg> root: one root
// element, every tag closed in order, attribute values quoted, only the
// predefined and numeric entities, no control characters. Gives the first
// fault, or an empty string.
inline std::string xmlFault(const std::string& text) {
  std::vector<std::string> open;
  bool rootSeen = false;
  auto entityAt = [&](std::size_t at) {
    const auto end = text.find(';', at);
    if (end == std::string::npos) return false;
    const std::string name = text.substr(at + 1, end - at - 1);
    return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos" ||
           (name.size() > 1 && name[0] == '#');
  };
  std::size_t i = 0;
  if (text.starts_with("<?xml")) i = text.find("?>") + 2;
  while (i < text.size()) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r') return "control character";
    if (c == '&' && !entityAt(i)) return "bad entity at " + std::to_string(i);
    if (c == '>') return "stray '>' at " + std::to_string(i);
    if (c != '<') {
      if (open.empty() && c != '\n' && c != ' ') return "text outside the root at " + std::to_string(i);
      ++i;
      continue;
    }
    const bool closing = i + 1 < text.size() && text[i + 1] == '/';
    std::size_t at = i + (closing ? 2 : 1);
    const std::size_t nameEnd = text.find_first_of(" \t\n/>", at);
    if (nameEnd == std::string::npos || nameEnd == at) return "bad tag at " + std::to_string(i);
    const std::string name = text.substr(at, nameEnd - at);
    at = nameEnd;
    // Attributes: name="value" pairs up to > or />.
    while (at < text.size() && text[at] != '>' && text[at] != '/') {
      if (text[at] == ' ' || text[at] == '\n') {
        ++at;
        continue;
      }
      const std::size_t equals = text.find('=', at);
      if (equals == std::string::npos || equals + 1 >= text.size() || text[equals + 1] != '"')
        return "unquoted attribute in <" + name + ">";
      const std::size_t close = text.find('"', equals + 2);
      if (close == std::string::npos) return "unclosed attribute in <" + name + ">";
      const std::string value = text.substr(equals + 2, close - equals - 2);
      if (value.find('<') != std::string::npos) return "'<' in an attribute of <" + name + ">";
      at = close + 1;
    }
    if (at >= text.size()) return "unclosed tag <" + name + ">";
    const bool empty = text[at] == '/';
    if (empty && (at + 1 >= text.size() || text[at + 1] != '>')) return "bad end of <" + name + ">";
    i = at + (empty ? 2 : 1);
    if (closing) {
      if (open.empty() || open.back() != name) return "</" + name + "> closes nothing open";
      open.pop_back();
      continue;
    }
    if (open.empty()) {
      if (rootSeen) return "a second root element <" + name + ">";
      if (name != "svg") return "root element <" + name + ">";
      rootSeen = true;
    }
    if (!empty) open.push_back(name);
  }
  if (!open.empty()) return "<" + open.back() + "> never closed";
  return rootSeen ? std::string() : std::string("no root element");
}

}  // namespace arribada::e2e
