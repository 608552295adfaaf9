// Reading a crystal (cell, space group, atom sites) from a small-molecule CIF file, with a
// German message naming the file and what is missing when it cannot be used.
// The only file that includes gemmi's CIF parser (slow to compile).
#include "model/cif_input.h"

#include <gemmi/cif.hpp>
#include <gemmi/smcif.hpp>

#include <cmath>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/crystal.h"

namespace cif = gemmi::cif;

namespace {

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// "Im Datenblock "x" der CIF-Datei "f"": the place an error refers to.
std::string inBlock(const std::string& path, const std::string& block) {
    return "Im Datenblock " + quoted(block) + " der CIF-Datei " + quoted(path);
}

std::string numberText(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

std::string joined(const std::vector<std::string>& names) {
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : ", ") + n;
    return s;
}

// The value of a single item, unquoted; empty when the item is missing or '?' / '.'.
std::string singleValue(const cif::Block& block, const char* tag) {
    const std::string* v = block.find_value(tag);
    if (v == nullptr || cif::is_null(*v)) return "";
    return cif::as_string(*v);
}

// The values of a looped (or single) item, unquoted, nulls left out.
std::vector<std::string> columnValues(cif::Block& block, const char* tag) {
    std::vector<std::string> values;
    for (const std::string& v : block.find_values(tag))
        if (!cif::is_null(v)) values.push_back(cif::as_string(v));
    return values;
}

// Reads the six cell values; returns an error sentence, empty when the cell is usable.
std::string readCell(const cif::Block& block, const std::string& where, CifCrystal& crystal) {
    struct CellItem {
        const char* tag;
        double CifCrystal::*field;
        bool isAngle;
    };
    const CellItem items[] = {
        {"_cell_length_a", &CifCrystal::a, false},     {"_cell_length_b", &CifCrystal::b, false},
        {"_cell_length_c", &CifCrystal::c, false},     {"_cell_angle_alpha", &CifCrystal::alpha, true},
        {"_cell_angle_beta", &CifCrystal::beta, true}, {"_cell_angle_gamma", &CifCrystal::gamma, true},
    };
    bool anyGiven = false;
    for (const CellItem& item : items) anyGiven = anyGiven || block.find_value(item.tag) != nullptr;
    if (!anyGiven) return where + " fehlt die Zelle (_cell_length_a bis _cell_angle_gamma).";
    for (const CellItem& item : items) {
        const std::string* raw = block.find_value(item.tag);
        if (raw == nullptr || cif::is_null(*raw)) return where + " fehlt " + item.tag + ".";
        const double v = cif::as_number(*raw);
        if (!std::isfinite(v)) return where + " ist " + item.tag + " keine Zahl: " + quoted(*raw) + ".";
        if (!item.isAngle && v <= 0.0)
            return where + " muss " + item.tag + " größer als 0 sein, gelesen: " + numberText(v) + ".";
        if (item.isAngle && (v <= 0.0 || v >= 180.0))
            return where + " muss " + item.tag + " zwischen 0 und 180 Grad liegen, gelesen: " + numberText(v) + ".";
        crystal.*item.field = v;
    }
    // The angles must make a cell with a volume.
    if (cellVolumeFactor(crystal.alpha, crystal.beta, crystal.gamma) <= 0.0)
        return where + " ergeben die Zellwinkel " + numberText(crystal.alpha) + ", " + numberText(crystal.beta) +
               ", " + numberText(crystal.gamma) + " Grad keine Zelle mit Volumen.";
    return "";
}

// Finds the space group; returns an error sentence, empty when found.
std::string readSpaceGroup(cif::Block& block, const std::string& where, CifCrystal& crystal) {
    std::vector<std::string> tried;  // "item value" of everything present that named nothing
    for (const char* tag : {"_space_group_symop_operation_xyz", "_symmetry_equiv_pos_as_xyz"}) {
        const std::vector<std::string> ops = columnValues(block, tag);
        if (ops.empty()) continue;
        if (std::optional<SpaceGroupChoice> sg = spaceGroupFromOperations(ops)) {
            crystal.spaceGroup = *sg;
            crystal.spaceGroupItem = tag;
            return "";
        }
        tried.push_back(std::string(tag) + " (" + std::to_string(ops.size()) + " Operationen)");
    }
    for (const char* tag : {"_space_group_name_Hall", "_symmetry_space_group_name_Hall",
                            "_space_group_name_H-M_alt", "_symmetry_space_group_name_H-M"}) {
        const std::string symbol = singleValue(block, tag);
        if (symbol.empty()) continue;
        if (std::optional<SpaceGroupChoice> sg = spaceGroupFromSymbol(symbol, crystal.alpha, crystal.gamma)) {
            crystal.spaceGroup = *sg;
            crystal.spaceGroupItem = tag;
            return "";
        }
        tried.push_back(std::string(tag) + " " + quoted(symbol));
    }
    for (const char* tag : {"_space_group_IT_number", "_symmetry_Int_Tables_number"}) {
        const std::string text = singleValue(block, tag);
        if (text.empty()) continue;
        const double n = cif::as_number(text);
        if (n >= 1.0 && n <= 230.0 && n == std::floor(n)) {
            crystal.spaceGroup = spaceGroupFromNumber(static_cast<int>(n));
            // A number alone names hexagonal axes for the R groups; the symbol without its
            // ":H" lets the cell's angles choose hexagonal or rhombohedral axes, as for a symbol.
            const std::string& hm = crystal.spaceGroup.hm;
            if (hm.size() > 2 && hm.compare(hm.size() - 2, 2, ":H") == 0)
                if (std::optional<SpaceGroupChoice> r =
                        spaceGroupFromSymbol(hm.substr(0, hm.size() - 2), crystal.alpha, crystal.gamma))
                    crystal.spaceGroup = *r;
            crystal.spaceGroupItem = tag;
            return "";
        }
        tried.push_back(std::string(tag) + " " + quoted(text));
    }
    if (tried.empty())
        return where + " fehlt die Raumgruppe (_space_group_name_H-M_alt, _symmetry_space_group_name_H-M, "
                       "_space_group_IT_number, _space_group_name_Hall oder die Symmetrieoperationen).";
    return where + " ist keine bekannte Raumgruppe angegeben: " + joined(tried) + ".";
}

// Copies the atom sites; returns an error sentence, empty when every site has a position.
std::string readAtoms(const cif::Block& block, const std::string& where, CifCrystal& crystal) {
    const gemmi::SmallStructure small = gemmi::make_small_structure_from_block(block);
    for (const gemmi::SmallStructure::Site& site : small.sites) {
        if (!std::isfinite(site.fract.x) || !std::isfinite(site.fract.y) || !std::isfinite(site.fract.z))
            return where + " hat das Atom " + quoted(site.label) + " keine Lage (_atom_site_fract_x, _y, _z).";
        CifAtom atom;
        atom.label = site.label;
        atom.element = site.element.name();
        atom.x = site.fract.x;
        atom.y = site.fract.y;
        atom.z = site.fract.z;
        atom.occupancy = std::isfinite(site.occ) ? site.occ : 1.0;
        atom.uIso = std::isfinite(site.u_iso) ? site.u_iso : 0.0;
        crystal.atoms.push_back(atom);
    }
    return "";
}

// The parser's "path:line:column: what" as "Zeile line, Spalte column: what".
std::string parserPlace(const std::string& what, const std::string& path) {
    if (what.compare(0, path.size() + 1, path + ":") != 0) return what;
    const std::string rest = what.substr(path.size() + 1);
    const size_t colon1 = rest.find(':');
    const size_t colon2 = colon1 == std::string::npos ? colon1 : rest.find(':', colon1 + 1);
    if (colon2 == std::string::npos) return rest;
    return "Zeile " + rest.substr(0, colon1) + ", Spalte " + rest.substr(colon1 + 1, colon2 - colon1 - 1) + ":" +
           rest.substr(colon2 + 1);
}

bool hasCell(const cif::Block& block) { return block.find_value("_cell_length_a") != nullptr; }

}  // namespace

CifReading readCifFile(const std::string& path, const std::string& blockName) {
    const std::string file = "CIF-Datei " + quoted(path);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return {std::nullopt, "Die " + file + " gibt es nicht."};
    if (std::filesystem::is_directory(path, ec)) return {std::nullopt, "Die " + file + " ist ein Verzeichnis."};
    if (!std::ifstream(path).good()) return {std::nullopt, "Die " + file + " lässt sich nicht lesen."};

    cif::Document doc;
    try {
        doc = cif::read_file(path);
    } catch (const std::exception& e) {
        return {std::nullopt, "Die Datei " + quoted(path) + " ist keine lesbare CIF-Datei (" + parserPlace(e.what(), path) + ")."};
    }
    if (doc.blocks.empty())
        return {std::nullopt, "Die " + file + " enthält keinen Datenblock (data_...)."};

    std::vector<std::string> names, namesWithCell;
    for (const cif::Block& b : doc.blocks) {
        names.push_back(b.name);
        if (hasCell(b)) namesWithCell.push_back(b.name);
    }
    cif::Block* block = nullptr;
    if (!blockName.empty()) {
        for (cif::Block& b : doc.blocks)
            if (b.name == blockName) block = &b;
        if (block == nullptr)
            return {std::nullopt, "Die " + file + " hat keinen Datenblock " + quoted(blockName) +
                                      " (vorhanden: " + joined(names) + ")."};
    } else if (doc.blocks.size() == 1) {
        block = &doc.blocks[0];
    } else if (namesWithCell.size() == 1) {
        for (cif::Block& b : doc.blocks)
            if (hasCell(b)) block = &b;
    } else if (namesWithCell.empty()) {
        return {std::nullopt, "Die " + file + " enthält " + std::to_string(names.size()) +
                                  " Datenblöcke, aber keinen mit einer Zelle (_cell_length_a)."};
    } else {
        return {std::nullopt, "Die " + file + " enthält mehrere Datenblöcke mit Zelle (" + joined(namesWithCell) +
                                  "); bitte einen davon angeben."};
    }

    CifCrystal crystal;
    crystal.blockName = block->name;
    const std::string where = inBlock(path, block->name);
    std::string error = readCell(*block, where, crystal);
    if (error.empty()) error = readSpaceGroup(*block, where, crystal);
    if (error.empty()) {
        try {
            error = readAtoms(*block, where, crystal);
        } catch (const std::exception& e) {
            error = where + " lassen sich die Atomlagen nicht lesen: " + e.what();
        }
    }
    if (!error.empty()) return {std::nullopt, error};
    return {crystal, ""};
}
