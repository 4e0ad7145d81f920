#include "messages/messages.hpp"

#include <sstream>

#include "messages/status_names.hpp"

namespace veltrosan {

std::u16string messageFile;

namespace {

constexpr char kMessageFileName[] = "veltrosan_messages.txt";
// The one entry of the message file that shows a free text: its format is
// the whole line.
constexpr char kUserLineKey[] = "USER %s";
// Title and text of the export-error dialog come from this one entry.
constexpr char kExportErrorKey[] = "CreoExportError";

void showLine(const std::string& line) {
  ProMessageClear();
  // The line goes as the argument, never as the key or the format, so a
  // percent sign in it reaches the message area as it stands. The host's
  // answer is not looked at: a line it cannot show has nowhere else to go.
  ProMessageDisplay(messageFile.c_str(), kUserLineKey, line.c_str());
}

}  // namespace

void setMessageFile() {
  // A UTF-16 copy never holds more units than the UTF-8 text has bytes.
  ProWchar wide[sizeof kMessageFileName];
  ProStringToWstring(wide, kMessageFileName);
  messageFile = wide;
}

void showWarning(const std::string& text) { showLine("Warning: " + text); }

void showLog(const std::string& text) { showLine("Log: " + text); }

std::string warningLine(const std::string& context, StatusCode status) {
  std::ostringstream line;
  line << context << ": (" << errorName(status) << ")";
  return line.str();
}

void warn(const std::string& context, StatusCode status) { showWarning(warningLine(context, status)); }

StatusCode failed(const std::string& context, StatusCode status) {
  warn(context, status);
  return status;
}

StatusCode displayMessage(const std::string& key, const MessageArguments& arguments) {
  ProMessageClear();
  StatusCode status = PRO_TK_NO_ERROR;
  // The host reads as many arguments as the key's format asks for; the
  // gateway's keys take none, one or two.
  switch (arguments.size()) {
    case 1:
      status = ProMessageDisplay(messageFile.c_str(), key.c_str(), arguments[0].c_str());
      break;
    case 2:
      status = ProMessageDisplay(messageFile.c_str(), key.c_str(), arguments[0].c_str(), arguments[1].c_str());
      break;
    default:
      status = ProMessageDisplay(messageFile.c_str(), key.c_str());
      break;
  }
  if (status != PRO_TK_NO_ERROR) {
    warn("ProMessageDisplay", status);
  }
  return status;
}

StatusCode getTranslation(const std::string& key, ProWchar** translation) {
  return ProMessageWstringbufferAlloc(translation, messageFile.c_str(), key.c_str());
}

StatusCode ShowMessage() {
  ProArray buttonArray = nullptr;
  StatusCode status = ProArrayAlloc(1, static_cast<int>(sizeof(int)), 1, &buttonArray);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProArrayAlloc", status);
    return status;
  }
  int* buttons = static_cast<int*>(buttonArray);
  buttons[0] = PRO_UI_MESSAGE_OK;

  // Releases on the early paths below are not reported: the failure that
  // led there is the one the user needs to see, and its status is returned.
  ProWchar* title = nullptr;
  status = getTranslation(kExportErrorKey, &title);
  if (status != PRO_TK_NO_ERROR) {
    warn("getTranslation", status);
    ProArrayFree(&buttonArray);
    return status;
  }

  ProWchar* text = nullptr;
  status = getTranslation(kExportErrorKey, &text);
  if (status != PRO_TK_NO_ERROR) {
    warn("getTranslation", status);
    ProWstringFree(title);
    ProArrayFree(&buttonArray);
    return status;
  }

  int answer = 0;  // the button that closed the dialog; there is only one, so it is not read
  status = ProUIMessageDialogDisplay(PRO_UI_MESSAGE_ERROR, title, text, buttons, buttons[0], &answer);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProUIMessageDialogDisplay", status);
    ProWstringFree(title);
    ProWstringFree(text);
    ProArrayFree(&buttonArray);
    return status;
  }

  status = ProWstringFree(title);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProWstringFree", status);
    ProWstringFree(text);
    ProArrayFree(&buttonArray);
    return status;
  }

  status = ProWstringFree(text);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProWstringFree", status);
    ProArrayFree(&buttonArray);
    return status;
  }

  status = ProArrayFree(&buttonArray);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProArrayFree", status);
    return status;
  }
  return PRO_TK_NO_ERROR;
}

}  // namespace veltrosan
