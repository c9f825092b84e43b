#pragma once

#include <string>

#include "design.h"

namespace dovla::model {

// How much of the design a command reads. Parts: the sheets, the parts,
// their symbols and their pins, each pin with its group (whether a part
// is a power symbol may depend on its pin's net), and nothing else: no
// items, nets, bus groups or keys, which cost most of the model's time and
// memory.
enum class Content { Everything, Parts };

// Runs dovla32's stages on the sheet file, with the libraries of the
// TAVEL.INI that dovla32 would read and with the options given, and
// returns the design they make. A damaged or missing file ends with the
// readers' FatalError; so does exhausted memory.
Design loadDesign(const std::string& sheetPath, const Options& options,
                  Content content = Content::Everything);

} // namespace dovla::model
