#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The small fixed design that the fuzz targets run against and that the seed
// corpora are made from: one library whose parts cover every pin feature
// (all four sides, several blocks, no block, no pins, named pins, lettered
// numbers, power names), and one sheet that uses them with every record
// kind, so that a mutated file meets live code wherever it changes.
namespace dovla::fuzz {

// The names of the parts in fixedLibrary(), which the fixed sheet also uses.
extern const std::vector<std::string> fixedPartNames;

std::vector<std::uint8_t> fixedLibrary();
std::vector<std::uint8_t> fixedSheet();

// More libraries and sheets for the seed corpora: each one a complete file.
std::vector<std::vector<std::uint8_t>> seedLibraries();
std::vector<std::vector<std::uint8_t>> seedSheets();

} // namespace dovla::fuzz
