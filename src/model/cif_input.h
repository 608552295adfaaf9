// Reading a crystal (cell, space group, atom sites) from a small-molecule CIF file, with a
// German message naming the file and what is missing when it cannot be used.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/space_group.h"

struct CifAtom {
    std::string label;         // _atom_site_label, e.g. "Na1"
    std::string element;       // element symbol, e.g. "Na"; "X" when the type names no element
    double x = 0.0, y = 0.0, z = 0.0;  // fractional coordinates
    double occupancy = 1.0;    // chemical occupancy (not divided by the site's multiplicity)
    double uIso = 0.0;         // isotropic displacement parameter U, Å² (0 when not given)
};

struct CifCrystal {
    std::string blockName;                      // the data block read, without "data_"
    double a = 0.0, b = 0.0, c = 0.0;           // cell edges, Å
    double alpha = 0.0, beta = 0.0, gamma = 0.0;  // cell angles, degrees
    SpaceGroupChoice spaceGroup;                // always a setting of gemmi's table
    std::string spaceGroupItem;                 // the CIF item it came from, e.g. "_space_group_IT_number"
    std::vector<CifAtom> atoms;                 // empty when the file lists no atom sites
};

struct CifReading {
    std::optional<CifCrystal> crystal;  // set when the file could be used
    std::string error;                  // otherwise: one German sentence naming the file
};

// Reads one data block of the file. Without a block name the file's only block is read; of
// several blocks the one that has a cell (_cell_length_a) is taken, as in the usual journal
// file with a block of publication data beside the structure; several blocks with a cell
// are an error that asks for a block name. The space group comes from the first of these
// that names a setting: the symmetry operations (_space_group_symop_operation_xyz or
// _symmetry_equiv_pos_as_xyz), the Hall symbol, the Hermann-Mauguin symbol
// (_space_group_name_H-M_alt or _symmetry_space_group_name_H-M), the number
// (_space_group_IT_number or _symmetry_Int_Tables_number, read as spaceGroupFromNumber reads it,
// but on rhombohedral axes for an R group whose cell has alpha = beta = gamma).
CifReading readCifFile(const std::string& path, const std::string& blockName = "");
