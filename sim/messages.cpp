// The host's message area and message dialogs. Keyed texts come from the
// message file in the application's text directory, in the host's format:
// groups of four lines, the key, the text, its translation ("#" for none)
// and a closing "#" line.
#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "host/toolkit.h"
#include "sim/handout.hpp"
#include "sim/messages.hpp"
#include "sim/text.hpp"
#include "sim/world.hpp"

namespace sim {
namespace {

// The text of `key` in the message file named `file`, or nothing when the
// file or the key is not there. The host looks for the file in the text
// directory only, so an empty name or one with a folder part finds nothing.
std::optional<std::string> lookUpText(const ProWchar* file, const std::string& key) {
  const std::string name = utf8(file);
  if (name.empty() || name.find_first_of("/\\:") != std::string::npos) return std::nullopt;
  std::ifstream in(std::filesystem::u8path(world().textDirectory + "/" + name), std::ios::binary);
  if (!in) return std::nullopt;

  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (!lines.empty() && lines[0].rfind("\xEF\xBB\xBF", 0) == 0) lines[0].erase(0, 3);

  size_t i = 0;
  while (i < lines.size()) {
    if (lines[i].empty()) {  // blank lines between groups
      ++i;
      continue;
    }
    const std::string& groupKey = lines[i];
    const std::string text = i + 1 < lines.size() ? lines[i + 1] : std::string();
    const std::string translation = i + 2 < lines.size() ? lines[i + 2] : std::string("#");
    i += 4;
    if (groupKey == key) return translation.empty() || translation == "#" ? text : translation;
  }
  return std::nullopt;
}

// A text format split into literal pieces and argument references. The host
// knows "%%" (a percent sign), "%s" (the next argument) and "%0s" to "%9s"
// (the argument of that index), all narrow strings.
struct Format {
  struct Piece {
    std::string literal;
    int argument = -1;  // -1: a literal piece
  };
  std::vector<Piece> pieces;
  int arguments = 0;  // how many arguments the caller must pass
};

std::optional<Format> parseFormat(const std::string& text) {
  Format format;
  std::string literal;
  int next = 0;
  auto flushLiteral = [&] {
    if (!literal.empty()) format.pieces.push_back({literal, -1});
    literal.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      literal.push_back(text[i]);
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '%') {
      literal.push_back('%');
      ++i;
      continue;
    }
    int index = next;
    size_t j = i + 1;
    if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
      index = text[j] - '0';
      ++j;
    } else {
      ++next;
    }
    if (j >= text.size() || text[j] != 's') return std::nullopt;  // a conversion the host cannot serve
    flushLiteral();
    format.pieces.push_back({std::string(), index});
    if (index + 1 > format.arguments) format.arguments = index + 1;
    i = j;
  }
  flushLiteral();
  return format;
}

// Reads exactly the arguments the format refers to; never more, so the
// caller's arguments are the only ones touched. A null argument gives nothing.
std::optional<std::vector<std::string>> readArguments(const Format& format, va_list arguments) {
  std::vector<std::string> out;
  bool complete = true;
  for (int k = 0; k < format.arguments; ++k) {
    const char* argument = va_arg(arguments, const char*);
    if (argument == nullptr) {
      complete = false;
    } else {
      out.emplace_back(argument);
    }
  }
  if (!complete) return std::nullopt;
  return out;
}

std::string render(const Format& format, const std::vector<std::string>& arguments) {
  std::string out;
  for (const auto& piece : format.pieces) {
    out += piece.argument < 0 ? piece.literal : arguments[static_cast<size_t>(piece.argument)];
  }
  return out;
}

std::string describe(const ProWchar* file, const char* key) {
  return utf8(file) + "," + (key == nullptr ? std::string("(null)") : std::string(key));
}

// The keyed text with the caller's arguments put in, or the host's answer
// when the key cannot be served.
StatusCode formatKeyed(const ProWchar* file, const char* key, va_list arguments, MessageLine& line) {
  if (file == nullptr || key == nullptr) return PRO_TK_BAD_INPUTS;
  const auto text = lookUpText(file, key);
  if (!text) return PRO_TK_MSG_NOT_FOUND;
  const auto format = parseFormat(*text);
  if (!format) return PRO_TK_MSG_FMT_ERROR;
  auto values = readArguments(*format, arguments);
  if (!values) return PRO_TK_BAD_INPUTS;
  line.key = key;
  line.text = render(*format, *values);
  line.args = std::move(*values);
  return PRO_TK_NO_ERROR;
}

bool liveButtonArray(const int* buttons) {
  const auto* entry = world().ledger.find(buttons);
  return entry != nullptr && entry->kind == Allocation::Array && entry->elementSize == static_cast<int>(sizeof(int)) &&
         entry->elements > 0;
}

}  // namespace

std::optional<std::string> messageText(const ProWchar* file, const std::string& key) { return lookUpText(file, key); }

}  // namespace sim

using sim::world;

extern "C" {

void ProMessageClear(void) {
  // No status to answer with: a planned fault leaves the area as it was.
  if (sim::enter("ProMessageClear")) return;
  world().messages.current.clear();
  ++world().messages.clears;
}

StatusCode ProMessageDisplay(const ProWchar* file, const char* key, ...) {
  SIM_ENTER("ProMessageDisplay", sim::describe(file, key));
  sim::MessageLine line;
  va_list arguments;
  va_start(arguments, key);
  const StatusCode status = sim::formatKeyed(file, key, arguments, line);
  va_end(arguments);
  if (status != PRO_TK_NO_ERROR) return status;
  line.call = world().log.calls().size() - 1;
  world().messages.shown.push_back(line);
  world().messages.current.push_back(std::move(line));
  return PRO_TK_NO_ERROR;
}

StatusCode ProMessageWstringbufferAlloc(ProWchar** buffer, const ProWchar* file, const char* key, ...) {
  SIM_ENTER("ProMessageWstringbufferAlloc", sim::describe(file, key));
  if (buffer == nullptr) return PRO_TK_BAD_INPUTS;
  sim::MessageLine line;
  va_list arguments;
  va_start(arguments, key);
  const StatusCode status = sim::formatKeyed(file, key, arguments, line);
  va_end(arguments);
  if (status != PRO_TK_NO_ERROR) return status;
  *buffer = sim::handOutWstring(sim::utf16(line.text), "ProMessageWstringbufferAlloc");
  world().messages.translations.push_back(*buffer);
  return PRO_TK_NO_ERROR;
}

StatusCode ProUIMessageDialogDisplay(int type, const ProWchar* title, const ProWchar* text, int* buttons,
                                     int default_button, int* result) {
  SIM_ENTER("ProUIMessageDialogDisplay", std::to_string(type) + "," + sim::utf8(title) + "," +
                                             std::to_string(default_button));
  if (title == nullptr || text == nullptr || result == nullptr || !sim::liveButtonArray(buttons)) {
    return PRO_TK_BAD_INPUTS;
  }
  sim::MessageDialog dialog;
  dialog.type = type;
  dialog.title = title;
  dialog.text = text;
  const int count = world().ledger.find(buttons)->elements;
  dialog.buttons.assign(buttons, buttons + count);
  bool knownDefault = false;
  for (int b : dialog.buttons) knownDefault = knownDefault || b == default_button;
  if (!knownDefault) return PRO_TK_BAD_INPUTS;
  dialog.defaultButton = default_button;
  dialog.buttonArray = buttons;
  dialog.answer = world().messages.answer.value_or(default_button);
  *result = dialog.answer;
  world().messages.dialogs.push_back(std::move(dialog));
  return PRO_TK_NO_ERROR;
}

}  // extern "C"
