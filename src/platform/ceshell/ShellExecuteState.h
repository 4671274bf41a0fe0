// ShellExecuteState.h: the ShellExecuteExW record as text, for the script driver's `state` command.
// One line per call, oldest first:
//   shell-execute VERB "FILE" HOW ok
//   shell-execute VERB "FILE" HOW failed ERROR
// VERB is "-" for a null or empty verb; FILE is UTF-8, with \" \\ and \xHH for a quote, a backslash
// and a control character; HOW is recorded, backend, xdg-open or refused;
// ERROR is GetLastError's number after the call.
#pragma once

#include <string>

void ShellExecuteStateText(std::string* output);
