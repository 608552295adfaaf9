// Reading CIF files: the shipped teaching crystals to their published values, the ways a
// space group can be given, the choice of data block, and one German message per fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "model/cif_input.h"

namespace {

std::string shipped(const std::string& name) { return std::string(WEISSENBERG_DATA_DIR) + "/cif/" + name; }

// A CIF text in a file of its own under the test's temporary directory.
std::string writeCif(const std::string& name, const std::string& text) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "weissenberg_cif_tests";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / name).string();
    std::ofstream(path) << text;
    return path;
}

const char* const kCubicCell =
    "_cell_length_a 5.6402(3)\n_cell_length_b 5.6402\n_cell_length_c 5.6402\n"
    "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n";

}  // namespace

TEST(CifInput, ShippedCrystals) {
    struct Case {
        const char* file;
        const char* block;
        double a, b, c, alpha, beta, gamma;  // Å, degrees, from each file's source
        int number;
        const char* hm;
        const char* item;  // the CIF item that named the space group
        size_t atoms;
        const char* lastAtom;
        double lastX, lastY, lastZ;
    };
    const Case cases[] = {
        {"nacl.cif", "nacl", 5.6402, 5.6402, 5.6402, 90, 90, 90, 225, "F m -3 m", "_space_group_name_H-M_alt", 2,
         "Cl", 0.5, 0.5, 0.5},
        {"cscl.cif", "cscl", 4.123, 4.123, 4.123, 90, 90, 90, 221, "P m -3 m", "_space_group_name_H-M_alt", 2, "Cl",
         0.5, 0.5, 0.5},
        {"diamond.cif", "diamond", 3.5668, 3.5668, 3.5668, 90, 90, 90, 227, "F d -3 m:1", "_space_group_name_Hall",
         1, "C", 0, 0, 0},
        {"alpha_iron.cif", "alpha_iron", 2.8665, 2.8665, 2.8665, 90, 90, 90, 229, "I m -3 m",
         "_symmetry_space_group_name_H-M", 1, "Fe", 0, 0, 0},
        {"rutile.cif", "rutile", 4.594, 4.594, 2.959, 90, 90, 90, 136, "P 42/m n m", "_symmetry_equiv_pos_as_xyz", 2,
         "O", 0.3048, 0.3048, 0},
        {"naphthalene.cif", "naphthalene", 8.658, 6.003, 8.235, 90, 122.92, 90, 14, "P 1 21/c 1",
         "_space_group_symop_operation_xyz", 5, "C", -0.2541, -0.1869, 0.0116},
    };
    for (const Case& c : cases) {
        const CifReading read = readCifFile(shipped(c.file));
        ASSERT_TRUE(read.crystal.has_value()) << c.file << ": " << read.error;
        const CifCrystal& x = *read.crystal;
        EXPECT_EQ(x.blockName, c.block);
        EXPECT_DOUBLE_EQ(x.a, c.a) << c.file;
        EXPECT_DOUBLE_EQ(x.b, c.b) << c.file;
        EXPECT_DOUBLE_EQ(x.c, c.c) << c.file;
        EXPECT_DOUBLE_EQ(x.alpha, c.alpha) << c.file;
        EXPECT_DOUBLE_EQ(x.beta, c.beta) << c.file;
        EXPECT_DOUBLE_EQ(x.gamma, c.gamma) << c.file;
        EXPECT_EQ(x.spaceGroup.number, c.number) << c.file;
        EXPECT_EQ(x.spaceGroup.hm, c.hm) << c.file;
        EXPECT_EQ(x.spaceGroupItem, c.item) << c.file;
        ASSERT_EQ(x.atoms.size(), c.atoms) << c.file;
        EXPECT_EQ(x.atoms.back().element, c.lastAtom) << c.file;
        EXPECT_DOUBLE_EQ(x.atoms.back().x, c.lastX) << c.file;
        EXPECT_DOUBLE_EQ(x.atoms.back().y, c.lastY) << c.file;
        EXPECT_DOUBLE_EQ(x.atoms.back().z, c.lastZ) << c.file;
    }
}

// Each way of naming the space group on its own, and which one wins when they disagree.
TEST(CifInput, SpaceGroupItems) {
    struct Case {
        const char* name;
        const char* items;
        const char* hm;
        const char* item;
    };
    const Case cases[] = {
        {"hm_old", "_symmetry_space_group_name_H-M 'P 21/c'\n", "P 1 21/c 1", "_symmetry_space_group_name_H-M"},
        {"hm_new", "_space_group_name_H-M_alt 'F m -3 m'\n", "F m -3 m", "_space_group_name_H-M_alt"},
        {"hall", "_space_group_name_Hall '-P 2ybc'\n", "P 1 21/c 1", "_space_group_name_Hall"},
        {"hall_old", "_symmetry_space_group_name_Hall '-F 4vw 2vw 3'\n", "F d -3 m:2",
         "_symmetry_space_group_name_Hall"},
        {"number", "_space_group_IT_number 229\n", "I m -3 m", "_space_group_IT_number"},
        {"number_kept", "_symmetry_Int_Tables_number 13\n", "P 1 2/a 1", "_symmetry_Int_Tables_number"},
        {"symops", "loop_\n_space_group_symop_operation_xyz\n'x, y, z'\n'-x, -y, -z'\n", "P -1",
         "_space_group_symop_operation_xyz"},
        {"symops_old", "loop_\n_symmetry_equiv_pos_as_xyz\nx,y,z\n-x,y+1/2,-z+1/2\n-x,-y,-z\nx,-y+1/2,z+1/2\n",
         "P 1 21/c 1", "_symmetry_equiv_pos_as_xyz"},
        // The operations fix the setting; the symbol beside them is only a name.
        {"symops_win", "_symmetry_space_group_name_H-M 'P 21/c'\nloop_\n_symmetry_equiv_pos_as_xyz\n"
                       "x,y,z\n-x+1/2,y+1/2,-z\n-x,-y,-z\nx+1/2,-y+1/2,z\n",
         "P 1 21/a 1", "_symmetry_equiv_pos_as_xyz"},
        // Operations about another origin name no table setting: the symbol is used.
        {"symops_fallback", "_symmetry_space_group_name_H-M 'P 1 21 1'\nloop_\n_symmetry_equiv_pos_as_xyz\n"
                            "x,y,z\n-x+1/2,y+1/2,-z\n",
         "P 1 21 1", "_symmetry_space_group_name_H-M"},
        // Unknown values ('?') are as good as absent.
        {"null_hm", "_symmetry_space_group_name_H-M ?\n_space_group_IT_number 2\n", "P -1", "_space_group_IT_number"},
    };
    for (const Case& c : cases) {
        const std::string path = writeCif(std::string(c.name) + ".cif", std::string("data_x\n") + kCubicCell + c.items);
        const CifReading read = readCifFile(path);
        ASSERT_TRUE(read.crystal.has_value()) << c.name << ": " << read.error;
        EXPECT_EQ(read.crystal->spaceGroup.hm, c.hm) << c.name;
        EXPECT_EQ(read.crystal->spaceGroupItem, c.item) << c.name;
        EXPECT_DOUBLE_EQ(read.crystal->a, 5.6402) << c.name;  // the uncertainty "(3)" is no part of the value
        EXPECT_TRUE(read.crystal->atoms.empty()) << c.name;
    }
}

// The R groups: hexagonal axes unless the cell's angles say rhombohedral.
TEST(CifInput, RhombohedralAxes) {
    struct Case {
        const char* name;
        double alpha, gamma;  // degrees; beta = alpha
        const char* items;
        const char* hm;
    };
    const Case cases[] = {
        {"r_number_hex", 90, 120, "_space_group_IT_number 146\n", "R 3:H"},
        {"r_number_rho", 80, 80, "_space_group_IT_number 146\n", "R 3:R"},
        {"r_symbol_hex", 90, 120, "_symmetry_space_group_name_H-M 'R -3 c'\n", "R -3 c:H"},
        {"r_symbol_rho", 55, 55, "_symmetry_space_group_name_H-M 'R -3 c'\n", "R -3 c:R"},
    };
    for (const Case& c : cases) {
        const std::string a = std::to_string(c.alpha), g = std::to_string(c.gamma);
        const std::string text = "data_r\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n_cell_angle_alpha " + a +
                                 "\n_cell_angle_beta " + a + "\n_cell_angle_gamma " + g + "\n" + c.items;
        const CifReading read = readCifFile(writeCif(std::string(c.name) + ".cif", text));
        ASSERT_TRUE(read.crystal.has_value()) << c.name << ": " << read.error;
        EXPECT_EQ(read.crystal->spaceGroup.hm, c.hm) << c.name;
    }
}

TEST(CifInput, DataBlockChoice) {
    const std::string cell = std::string(kCubicCell) + "_space_group_IT_number 225\n";
    const std::string other = std::string(kCubicCell) + "_space_group_IT_number 221\n";
    // A journal file: publication data in a block of its own beside the structure.
    const std::string journal = writeCif("journal.cif", "data_global\n_journal_year 1963\ndata_nacl\n" + cell);
    const CifReading read = readCifFile(journal);
    ASSERT_TRUE(read.crystal.has_value()) << read.error;
    EXPECT_EQ(read.crystal->blockName, "nacl");

    const std::string two = writeCif("two.cif", "data_first\n" + cell + "data_second\n" + other);
    const CifReading second = readCifFile(two, "second");
    ASSERT_TRUE(second.crystal.has_value()) << second.error;
    EXPECT_EQ(second.crystal->spaceGroup.number, 221);
    const CifReading first = readCifFile(two, "first");
    ASSERT_TRUE(first.crystal.has_value()) << first.error;
    EXPECT_EQ(first.crystal->spaceGroup.number, 225);
    // A named block is taken even if it is not the only one with a cell; the single block too.
    EXPECT_TRUE(readCifFile(shipped("nacl.cif"), "nacl").crystal.has_value());
}

// Every fault gives no crystal and one German sentence naming the file and what is wrong.
TEST(CifInput, BrokenFiles) {
    const std::string cell = kCubicCell;
    const std::string sg = "_space_group_IT_number 225\n";
    const std::string cellAnd = cell + sg;
    struct Owned {
        std::string name, text, block;  // block asked for, "" for none
        std::string says;               // part of the message
        bool write;                     // false: no file at that path
    };
    const Owned cases[] = {
        {"missing", "", "", "gibt es nicht", false},
        {"not_cif", "This is a letter, not a crystal.\n", "", "keine lesbare CIF-Datei (Zeile 1, Spalte 1:", true},
        {"unclosed_quote", "data_x\n_cell_length_a '5.64\n", "", "keine lesbare CIF-Datei (Zeile 2, Spalte", true},
        {"no_block", "# only a comment\n", "", "keinen Datenblock (data_...)", true},
        {"no_cell", "data_x\n" + sg, "", "fehlt die Zelle (_cell_length_a bis _cell_angle_gamma)", true},
        {"no_beta", "data_x\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n_cell_angle_alpha 90\n"
                    "_cell_angle_gamma 90\n" + sg,
         "", "fehlt _cell_angle_beta.", true},
        {"unknown_c", "data_x\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c ?\n_cell_angle_alpha 90\n"
                      "_cell_angle_beta 90\n_cell_angle_gamma 90\n" + sg,
         "", "fehlt _cell_length_c.", true},
        {"b_text", "data_x\n_cell_length_a 5\n_cell_length_b abc\n_cell_length_c 5\n_cell_angle_alpha 90\n"
                   "_cell_angle_beta 90\n_cell_angle_gamma 90\n" + sg,
         "", "ist _cell_length_b keine Zahl: \"abc\"", true},
        {"a_negative", "data_x\n_cell_length_a -5\n_cell_length_b 5\n_cell_length_c 5\n_cell_angle_alpha 90\n"
                       "_cell_angle_beta 90\n_cell_angle_gamma 90\n" + sg,
         "", "muss _cell_length_a größer als 0 sein, gelesen: -5", true},
        {"gamma_180", "data_x\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n_cell_angle_alpha 90\n"
                      "_cell_angle_beta 90\n_cell_angle_gamma 180\n" + sg,
         "", "muss _cell_angle_gamma zwischen 0 und 180 Grad liegen, gelesen: 180", true},
        {"flat_cell", "data_x\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n_cell_angle_alpha 150\n"
                      "_cell_angle_beta 150\n_cell_angle_gamma 150\n" + sg,
         "", "ergeben die Zellwinkel 150, 150, 150 Grad keine Zelle mit Volumen", true},
        {"no_group", "data_x\n" + cell, "", "fehlt die Raumgruppe", true},
        {"bad_symbol", "data_x\n" + cell + "_symmetry_space_group_name_H-M 'P 5 q'\n", "",
         "keine bekannte Raumgruppe angegeben: _symmetry_space_group_name_H-M \"P 5 q\"", true},
        {"bad_number", "data_x\n" + cell + "_space_group_IT_number 231\n", "",
         "keine bekannte Raumgruppe angegeben: _space_group_IT_number \"231\"", true},
        {"bad_ops", "data_x\n" + cell + "loop_\n_space_group_symop_operation_xyz\nx,y,z\nx+1/3,y,z\n", "",
         "keine bekannte Raumgruppe angegeben: _space_group_symop_operation_xyz (2 Operationen)", true},
        {"two_cells", "data_one\n" + cellAnd + "data_two\n" + cellAnd, "",
         "mehrere Datenblöcke mit Zelle (one, two); bitte einen davon angeben", true},
        {"no_cell_anywhere", "data_one\n" + sg + "data_two\n_journal_year 1999\n", "",
         "enthält 2 Datenblöcke, aber keinen mit einer Zelle", true},
        {"wrong_block", "data_one\n" + cellAnd, "three", "keinen Datenblock \"three\" (vorhanden: one)", true},
        {"atom_without_place", "data_x\n" + cellAnd + "loop_\n_atom_site_label\n_atom_site_fract_x\n"
                               "_atom_site_fract_y\n_atom_site_fract_z\nNa1 0 0 0\nCl1 ? 0.5 0.5\n",
         "", "hat das Atom \"Cl1\" keine Lage", true},
    };
    for (const Owned& c : cases) {
        const std::string path = c.write ? writeCif(c.name + ".cif", c.text)
                                         : (std::filesystem::temp_directory_path() / "weissenberg_no_such.cif").string();
        const CifReading read = readCifFile(path, c.block);
        EXPECT_FALSE(read.crystal.has_value()) << c.name;
        EXPECT_NE(read.error.find(c.says), std::string::npos) << c.name << ": " << read.error;
        EXPECT_NE(read.error.find("\"" + path + "\""), std::string::npos) << c.name << ": " << read.error;
    }
    const CifReading dir = readCifFile(std::filesystem::temp_directory_path().string());
    EXPECT_NE(dir.error.find("ist ein Verzeichnis"), std::string::npos) << dir.error;
}
