// Everything the gateway shows: warning and log lines and keyed messages on
// the host's message area, and the export-error dialog.
#pragma once

#include <string>
#include <vector>

#include "host/toolkit.h"

namespace veltrosan {

// The name of the message file, "veltrosan_messages.txt", as wide text. Set
// by the start-up function and by every run of the command; read by every
// host call here that takes a message file.
extern std::u16string messageFile;
void setMessageFile();  // fills messageFile through the toolkit's narrow-to-wide copy

using MessageArguments = std::vector<std::string>;

void showWarning(const std::string& text);  // "Warning: " + text
void showLog(const std::string& text);      // "Log: " + text

// The warning line of a failed step: context, ": (", the status name, ")".
std::string warningLine(const std::string& context, StatusCode status);
// showWarning(warningLine(context, status)).
void warn(const std::string& context, StatusCode status);
// warn(context, status), then the status, for a failed step to hand back.
StatusCode failed(const std::string& context, StatusCode status);

StatusCode displayMessage(const std::string& key, const MessageArguments& arguments);
StatusCode getTranslation(const std::string& key, ProWchar** translation);
StatusCode ShowMessage();

}  // namespace veltrosan
