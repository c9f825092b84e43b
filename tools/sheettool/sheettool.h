#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "driver/messages.h"
#include "load_design.h"

// sheettool: sheet and library files as text, and a check of a design's
// connectivity. The binary formats are read by the program's own readers.
namespace dovla::sheettool {

// Exit statuses, as diff has them.
constexpr int exitClean = 0;
constexpr int exitFound = 1;
constexpr int exitTrouble = 2;

// The first line of each kind of text.
constexpr char sheetTextKeyword[] = "sheet-file";
constexpr char libraryTextKeyword[] = "library-file";

// The message of one of the readers' fatal errors, without its line feed.
std::string messageOf(const FatalError& error);

// Whether the file holds a library: the library magic at offset 0.
bool isLibraryFile(const std::string& path);

// The text of a file, appended to `out` item by item. A damaged file ends
// with the reader's FatalError, `out` holding the items before the damage
// and a comment that says where it is.
// Without offsets, a library's text leaves out the header's bases and
// every name-at and record-at (of readable records), for build to lay the
// library out anew; bytes that no part holds are left out too.
void dumpSheet(const std::string& path, std::string& out);
void dumpLibrary(const std::string& path, std::string& out, bool offsets = true);

// The bytes that a text describes; an error in it is a TextError.
std::vector<std::uint8_t> buildFile(const std::string& text);

struct TextLine;
std::vector<std::uint8_t> buildSheet(const std::vector<TextLine>& lines);
std::vector<std::uint8_t> buildLibrary(const std::vector<TextLine>& lines);

// Writes a text asked for (help, version) to the standard output: exitClean,
// or exitTrouble when it cannot be written.
int writeInformation(const std::string& text);

// The usage message, and a message of trouble; both give exitTrouble.
int usage();
int trouble(const std::string& message);
// A message of trouble where a function answers whether it could: false.
bool refuse(const std::string& message);

// The design of a sheet file through the design model, with the
// configuration the options name (see chooseConfiguration); false, with
// the reader's message written, when it cannot be read.
bool loadCommandDesign(const std::string& sheetPath, const model::Options& options,
                       model::Design& design, model::Content content = model::Content::Everything);
// The design that `load` gives (a load made elsewhere), its trouble told
// as loadCommandDesign tells it.
bool receiveDesign(const std::function<model::Design()>& load, model::Design& design);
// The files a design was read from: its sheet, its configuration and the
// libraries that names; no command may write over them.
std::vector<std::string> inputsOf(const model::Design& design);
// The bytes of a file, or of the standard input for "-"; false when it
// cannot be read.
bool readText(const std::string& path, std::string& text);

// The whole program: "dump", "build", "check", "nets", "diff", "view".
int sheettoolMain(int argc, char** argv);

} // namespace dovla::sheettool
