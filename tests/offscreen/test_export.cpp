// Headless export with no display: the files of a 90 degree turn, their pictures and rows,
// and the errors that stop it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "model/cif_input.h"
#include "model/png_image.h"
#include "platform/export.h"
#include "session/commands.h"

namespace fs = std::filesystem;

namespace {

Session startCrystal() { return newSession(makeCrystal(5, 5, 5, 90, 90, 90, 1), 1.5418); }

std::vector<unsigned char> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh directory of this test's own under the system's temporary directory.
fs::path freshDir(const char* name) {
    const fs::path dir = fs::temp_directory_path() / ("weissenberg-export-" + std::to_string(getpid())) / name;
    fs::remove_all(dir);
    return dir;
}

int pixelsNotWhite(const RgbaImage& image) {
    int n = 0;
    for (size_t i = 0; i < image.pixels.size(); i += 4)
        if (image.pixels[i] != 255 || image.pixels[i + 1] != 255 || image.pixels[i + 2] != 255) ++n;
    return n;
}

}  // namespace

TEST(Export, NinetyDegreesOfTheStartCrystalWithoutDisplay) {
    ASSERT_EQ(std::getenv("DISPLAY"), nullptr) << "run with DISPLAY unset";
    const fs::path dir = freshDir("turn90") / "made";  // a directory that does not exist yet
    ExportOptions options;
    options.dir = dir.string();
    options.turnDegrees = 90;
    ASSERT_EQ(runExport(startCrystal(), options), 0);

    // Three pictures of the windows' size; the cross alone is 1039 pixels, so a film with
    // spots has more.
    for (const char* name : {kExportMainFile, kExportRotationFile, kExportWeissenbergFile}) {
        RgbaImage image;
        ASSERT_TRUE(decodePng(fileBytes(dir / name), &image)) << name;
        EXPECT_EQ(image.width, kExportPictureSize) << name;
        EXPECT_EQ(image.height, kExportPictureSize) << name;
        EXPECT_GT(pixelsNotWhite(image), 1100) << name;
    }

    // The log: one header, then rows logged from the start orientation (0 degrees) to the
    // end of the turn, in order, on both films (layer 0) or the rotation film only.
    std::istringstream csv(std::string(reinterpret_cast<const char*>(fileBytes(dir / kExportLogFile).data()),
                                       fileBytes(dir / kExportLogFile).size()));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "h,k,l,kristallwinkel_grad,drehkristall_x,drehkristall_y,weissenberg_x,weissenberg_y");
    double firstAngle = -1, lastAngle = -1;
    int rows = 0, onWeissenberg = 0;
    while (std::getline(csv, line)) {
        std::vector<std::string> fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
        if (line.back() == ',') fields.push_back("");
        ASSERT_EQ(fields.size(), 8u) << line;
        const double angle = std::stod(fields[3]);
        EXPECT_GE(angle, lastAngle - 1e-9) << "in the order logged: " << line;
        if (rows == 0) firstAngle = angle;
        lastAngle = angle;
        EXPECT_FALSE(fields[4].empty()) << line;
        const bool layer0 = fields[2] == "0";
        EXPECT_EQ(!fields[6].empty(), layer0) << line;
        onWeissenberg += layer0;
        ++rows;
    }
    EXPECT_GT(rows, 100);
    EXPECT_GT(onWeissenberg, 0);
    EXPECT_NEAR(firstAngle, 0.0, 1e-9);
    EXPECT_NEAR(lastAngle, 90.0, 1e-6) << "300 spin steps of 0.3 degrees";
}

TEST(Export, ErrorsEndWithStatusOneAndWriteNothing) {
    const fs::path base = freshDir("errors");
    fs::create_directories(base);
    std::ofstream(base / "datei") << "kein Verzeichnis";
    ExportOptions options;
    options.dir = (base / "datei" / "unter").string();  // below a plain file: cannot be made
    options.turnDegrees = 3;
    EXPECT_EQ(runExport(startCrystal(), options), 1);
    options.dir = (base / "neu").string();
    options.turnDegrees = -1;
    EXPECT_EQ(runExport(startCrystal(), options), 1);
    EXPECT_FALSE(fs::exists(base / "neu" / kExportLogFile));
    if (getuid() != 0) {  // root writes anywhere
        fs::create_directories(base / "gesperrt");
        fs::permissions(base / "gesperrt", fs::perms::owner_read | fs::perms::owner_exec);
        options.dir = (base / "gesperrt").string();
        options.turnDegrees = 3;
        EXPECT_EQ(runExport(startCrystal(), options), 1);
        EXPECT_TRUE(fs::is_empty(base / "gesperrt")) << "nothing half-written";
        fs::permissions(base / "gesperrt", fs::perms::owner_all);
    }
    fs::remove_all(base.parent_path());
}

// The intensity look in the pictures: NaCl's films after the same turn, drawn with spots sized
// by |F| (its strong all-even reflections up to 8 pixels, its weak all-odd ones small), cover
// more of the film than the usual 3-pixel spots, and the main view changes too.
TEST(Export, IntensityLookChangesTheSpotSizes) {
    const CifReading reading = readCifFile(std::string(WEISSENBERG_DATA_DIR) + "/cif/nacl.cif");
    ASSERT_TRUE(reading.crystal) << reading.error;
    const CifCrystal& c = *reading.crystal;
    Crystal crystal = makeCrystal(c.a, c.b, c.c, c.alpha, c.beta, c.gamma, c.spaceGroup);
    crystal.intensities = std::make_shared<const Intensities>(c);
    int covered[2][2] = {};  // [look][film]: pixels not white
    for (int look = 0; look < 2; ++look) {
        Session session = newSession(crystal, 1.5418);
        session.intensityLook = look;
        ExportOptions options;
        options.dir = freshDir(look ? "intensity" : "usual").string();
        options.turnDegrees = 45;
        ASSERT_EQ(runExport(session, options), 0);
        int film = 0;
        for (const char* name : {"drehkristall.png", "weissenberg.png"}) {
            RgbaImage image;
            ASSERT_TRUE(decodePng(fileBytes(fs::path(options.dir) / name), &image));
            covered[look][film++] = pixelsNotWhite(image);
        }
    }
    for (int film = 0; film < 2; ++film) EXPECT_GT(covered[1][film], covered[0][film] * 5 / 4) << film;
    fs::remove_all(fs::path(freshDir("usual")).parent_path());
}
