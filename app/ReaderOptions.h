// ReaderOptions.h: the reader's own command-line options (--help, --version, --registry FILE),
// handled and removed from the argument list before the platform reads the rest. Nothing here
// allocates; argv keeps pointing at the caller's strings.
#pragma once

#include <cstdio>

// Handles the reader's options in argv[1..*argc) and removes them (argv[*argc] stays null).
// Every other argument, including the platform's options and the values of its --script and -e,
// is left in order; so is everything from "--" on. --help and --version print to standard
// output; a bad option prints to standard error. Returns true when the program should now exit
// with *exitCode: 0 after --help or --version, 1 when standard output could not be written, 2 for
// a missing or empty FILE. --registry FILE makes FILE (made absolute) the settings file of every
// later registry call.
bool ReaderHandleOptions(int* argc, char** argv, int* exitCode);

// The same, writing to the given streams (for tests).
bool ReaderHandleOptionsTo(int* argc, char** argv, int* exitCode, FILE* out, FILE* err);

// "kestrova 1.84": the program's name and version, as --version prints it (without a newline).
const char* ReaderVersionText();
