// What a develop-and-save writes, read back by the library and, natively, by
// independent tools (libtiff, exiftool, libjpeg, ImageMagick, lcms2).
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "app/core/heuristics/size_res.h"
#include "app/core/procset/image_proc_set.h"
#include "app/core/record/image_record.h"
#include "app/core/save/save_run_impl.h"
#include "app/core/save/tests/save_test_util.h"
#include "app/core/settings/usm.h"
#include "filters/CropFilter.h"
#include "app/core/demosaic/debayer_base.h"
#include "app/core/engine/develop_setup.h"

using namespace save_test;

namespace {

#ifndef _WIN32
bool Have(const char* command) { return std::system((std::string("command -v ") + command + " >/dev/null 2>&1").c_str()) == 0; }

// The command's standard output (and its error output when asked).
std::string Output(const std::string& command, bool withErrors = false)
{
    std::string text;
    if (FILE* pipe = popen((command + (withErrors ? " 2>&1" : " 2>/dev/null")).c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

bool HavePeers() { return Have("tiffinfo") && Have("exiftool") && Have("djpeg") && Have("identify"); }

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}
#endif

struct MatrixCase {
    const char* name;
    int32_t colorSpace;  // of the source
    int32_t mode;
    int32_t format;
    int32_t bits;        // per channel in the output
    bool separated;      // CMYK
};

}  // namespace

class DevelopSave : public SaveFixture {};

// Every mode with every format that can hold its result, from an RGB TIFF and
// from a camera raw file.
TEST_F(DevelopSave, ModeAndFormatMatrixWritesWhatPeersRead)
{
    const MatrixCase cases[] = {
        {"tiff8 mode0 tiff", 32, 0, kFormatTiff, 8, false},
        {"tiff8 mode0 exif", 32, 0, kFormatExifJpeg, 8, false},
        {"tiff8 mode0 jfif", 32, 0, kFormatJpeg, 8, false},
        {"tiff8 mode0 bmp", 32, 0, kFormatBmp, 8, false},
        {"tiff8 mode1 tiff", 32, 1, kFormatTiff, 8, false},
        {"tiff8 mode1 exif", 32, 1, kFormatExifJpeg, 8, false},
        {"tiff8 mode2 tiff", 32, 2, kFormatTiff, 8, true},
        {"tiff16 mode0 jfif", 33, 0, kFormatJpeg, 8, false},
        {"tiff16 mode1 tiff", 33, 1, kFormatTiff, 16, false},
        {"raw mode0 tiff", 64, 0, kFormatTiff, 8, false},
        {"raw mode0 exif", 64, 0, kFormatExifJpeg, 8, false},
        {"raw mode1 tiff", 64, 1, kFormatTiff, 16, false},
        {"raw mode2 tiff", 64, 2, kFormatTiff, 8, true},
    };
    const char* caption = "Harbour at dawn";
    CDevelopParams sources[3];
    OpenSource(sources[0], "source8.tif", 32, 96, 64);
    OpenSource(sources[1], "source16.tif", 33, 96, 64);
    OpenSource(sources[2], "source.xqv", 64, 64, 48);
    for (const MatrixCase& c : cases) {
        SCOPED_TRACE(c.name);
        CDevelopParams params = sources[c.colorSpace == 32 ? 0 : c.colorSpace == 33 ? 1 : 2];
        params.caption = caption;
        const char* extension = c.format == kFormatTiff ? ".tif" : c.format == kFormatBmp ? ".bmp" : ".jpg";
        const std::string out = At(std::string(c.name) + extension);
        ASSERT_EQ(0, SaveDevelopedImage(&params, out.c_str(), c.mode, c.format, 3));
        IVorlatTagControl* tags = nullptr;
        ASSERT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&tags)));
        const Reread back = ReadBack(manager, out, tags);
        ASSERT_EQ(0, back.error);
        const int32_t expectedSpace = c.separated ? 34 : c.bits == 16 ? 33 : 32;
        EXPECT_EQ(expectedSpace, back.colorSpace);
        int32_t sourceWidth = 0, sourceHeight = 0;
        params.source->GetSize(&sourceWidth, &sourceHeight);
        if (c.colorSpace != 64) {
            EXPECT_EQ(sourceWidth, back.width);
            EXPECT_EQ(sourceHeight, back.height);
        }
        if (c.format != kFormatBmp) {
            char model[256] = {};
            ASSERT_TRUE(ReadTagBytes(tags, kTagModel, kTagTypeText, sizeof model, model));
            EXPECT_STREQ("Mod KORVA M4X", model);
        }
        // Developed pixels are no longer raw data, whatever the source was.
        EXPECT_NE(kFileKindRaw, GetImageFileKind(tags));
        tags->Destroy();

#ifndef _WIN32
        if (!HavePeers())
            continue;
        std::istringstream size(Output("identify -format '%w %h %z' '" + out + "[0]'"));
        int32_t width = 0, height = 0, depth = 0;
        size >> width >> height >> depth;
        EXPECT_EQ(back.width, width);
        EXPECT_EQ(back.height, height);
        EXPECT_EQ(c.bits, depth);
        if (c.format == kFormatBmp)
            continue;
        const std::string exif = Output("exiftool -a -G1 -s '" + out + "'");
        EXPECT_EQ(1u, Count(exif, "Model                           : Mod KORVA M4X")) << exif;
        EXPECT_EQ(1u, Count(exif, ": Mod ")) << exif;
        EXPECT_NE(std::string::npos, exif.find(std::string("Caption-Abstract                : ") + caption)) << exif;
        if (c.format == kFormatTiff) {
            const std::string info = Output("tiffinfo '" + out + "'");
            EXPECT_NE(std::string::npos, info.find("Bits/Sample: " + std::to_string(c.bits))) << info;
            EXPECT_NE(std::string::npos, info.find(c.separated ? "Photometric Interpretation: separated"
                                                               : "Photometric Interpretation: RGB color"))
                << info;
            EXPECT_NE(std::string::npos, info.find("Resolution: 300, 300 pixels/inch")) << info;
            EXPECT_NE(std::string::npos, info.find("Image Width: 160")) << "thumbnail\n" << info;
            // Only the thumbnail's directory is marked as a reduced image.
            EXPECT_GT(info.find("Subfile Type"), info.find("TIFF directory 1")) << info;
            Output("exiftool -b -ICC_Profile '" + out + "' > '" + out + ".icc'");
            EXPECT_EQ(ReadAll(c.separated ? cmyk : working), ReadAll(out + ".icc"));
        } else {
            EXPECT_EQ("", Output("djpeg '" + out + "' >/dev/null", true));
            if (c.format == kFormatExifJpeg) {
                Output("exiftool -b -ThumbnailImage '" + out + "' > '" + out + ".thumb.jpg'");
                std::istringstream thumb(Output("identify -format '%w %h' '" + out + ".thumb.jpg'"));
                int32_t tw = 0, th = 0;
                thumb >> tw >> th;
                EXPECT_EQ(160, std::max(tw, th)) << "thumbnail " << tw << "x" << th;
            }
        }
#endif
    }
}

TEST_F(DevelopSave, TheProfileEmbeddingSwitchOmitsTheProfileAndTheModelIsMarkedOnce)
{
    CDevelopParams params;
    OpenSource(params, "source.tif", 32, 48, 32, "Mod KORVA M4X");
    params.embedProfile = 0;
    const std::string out = At("plain.tif");
    ASSERT_EQ(0, SaveDevelopedImage(&params, out.c_str(), 0, kFormatTiff, 0));
    IVorlatTagControl* tags = nullptr;
    ASSERT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&tags)));
    ASSERT_EQ(0, ReadBack(manager, out, tags).error);
    EXPECT_FALSE(tags->IsExist(0x8773, 0));
    char model[256] = {};
    ASSERT_TRUE(ReadTagBytes(tags, kTagModel, kTagTypeText, sizeof model, model));
    EXPECT_STREQ("Mod KORVA M4X", model);
    tags->Destroy();
#ifndef _WIN32
    if (Have("tiffinfo"))
        EXPECT_EQ(std::string::npos, Output("tiffinfo '" + out + "'").find("ICC Profile"));
#endif
}

// Writing the raw data again keeps every sample and carries the settings blob.
TEST_F(DevelopSave, SettingsOnlySaveKeepsTheRawSamplesAndStoresTheBlob)
{
    CDevelopParams opened;
    OpenSource(opened, "source.xqv", 64, 64, 48);
    // A document's record holding the opened image and a copy of its tags.
    CImageRecord record;
    record.imageData = opened.source;
    AddRefImageData(record.imageData);
    ASSERT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&record.tags)));
    ASSERT_EQ(0, Deepest(record.tags->CopyFrom(opened.tags)));
    record.usmOn = 1;
    record.usm.Insert(0, 1, CQzUSM{});
    record.curvesOn = 1;
    record.rotation = 90;
    CDevelopParams params(record);
    params.caption = "Settings only";
    const std::string out = At("settings.xqv");
    ASSERT_EQ(0, SaveImageWithSettings(&params, out.c_str(), "Evening"));

    IVorlatTagControl* tags = nullptr;
    ASSERT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&tags)));
    const Reread back = ReadBack(manager, out, tags);
    ASSERT_EQ(0, back.error);
    EXPECT_EQ(64, back.colorSpace);
    int32_t rowBytes = 0;
    std::vector<uint8_t> samples(static_cast<size_t>(params.source->GetDataSize(64, 48, &rowBytes)));
    const RECT all = {0, 0, 64, 48};
    ASSERT_EQ(0, Deepest(params.source->GetData(samples.data(), rowBytes, all)));
    EXPECT_EQ(samples, back.pixels);
    EXPECT_EQ(kFileKindRaw, GetImageFileKind(tags));

    CQzImageProcSet expected;
    expected.usmOn = 1;
    expected.usm = &record.usm;
    expected.curvesOn = 1;
    expected.curves = &record.curves;
    expected.colourBalance = &record.colourBalance;
    expected.sizeRes = &record.sizeRes;
    expected.exposure = &record.exposure;
    expected.whiteBalance = &record.whiteBalance;
    expected.noiseReduction = &record.noiseReduction;
    expected.rotation = 90;
    expected.name = CQzString("Evening");
    std::vector<uint8_t> blob(static_cast<size_t>(expected.GetSize()));
    expected.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    ASSERT_EQ(blob.size(), tags->GetTagSize(ImageProcSettingsTag, 0));
    std::vector<uint8_t> stored(blob.size());
    ASSERT_EQ(0, Deepest(tags->GetTagValue(ImageProcSettingsTag, kTagTypeBytes, static_cast<uint32_t>(stored.size()),
                                           stored.data(), 0)));
    EXPECT_EQ(blob, stored);
    tags->Destroy();
#ifndef _WIN32
    if (Have("exiftool")) {
        const std::string exif = Output("exiftool -a -G1 -s '" + out + "'");
        EXPECT_NE(std::string::npos, exif.find("[SubIFD]")) << exif;
        EXPECT_NE(std::string::npos, exif.find("Color Filter Array")) << exif;
        EXPECT_NE(std::string::npos, exif.find("Settings only")) << exif;
    }
#endif
}

// The chain of phase 0 as the settings ask: the crop halved from the
// settings' half pixels, at most seven sharpening filters, and the colour
// stage through the lightness-chroma-hue profile when anything sharpens.
TEST_F(DevelopSave, TheDevelopChainFollowsTheSettings)
{
    CDevelopParams params;
    OpenSource(params, "source.tif", 32, 1400, 1000);
    CQzSizeRes sizeRes(1400, 1000);
    sizeRes.SetCropRect(100, 50, 1100, 850);
    CQzUSMList usm;
    usm.Insert(0, 8, CQzUSM{});
    params.sizeRes = &sizeRes;
    params.sizeResApplied = 1;
    params.usmOn = 1;
    params.usmList = &usm;
    ASSERT_EQ(0, BeginDevelopSave(&params, At("chain.tif").c_str(), 0, kFormatTiff, 0));
    int32_t done = 0;
    ASSERT_EQ(0, DevelopSaveStep(&params, &done));
    ASSERT_EQ(kSavePhaseRender, GetSaveRunPhase());
    const SaveRun& run = GetSaveRun();
    ASSERT_NE(nullptr, run.crop);
    const RECT crop = run.crop->GetCrop();
    EXPECT_EQ(50, crop.left);
    EXPECT_EQ(25, crop.top);
    EXPECT_EQ(550, crop.right);
    EXPECT_EQ(425, crop.bottom);
    EXPECT_EQ(nullptr, run.scaler);
    EXPECT_EQ(nullptr, run.transform);
    for (int32_t i = 0; i < kSaveUsmSlots; ++i)
        EXPECT_NE(nullptr, run.usm[i]) << i;
    ASSERT_NE(nullptr, run.colour);
    ASSERT_NE(nullptr, run.backColour);
    EXPECT_EQ(10, run.chain->GetFilterCount());  // crop, colour, seven sharpenings, back colour
    SetSaveCancelFlag(1);
    while (!done)
        DevelopSaveStep(&params, &done);
    SetSaveCancelFlag(0);
}

// A crop narrower or lower than one pixel still saves one pixel of the source
// where the crop lies, never the whole image.
TEST_F(DevelopSave, ACropOfHalfAPixelSavesOnePixel)
{
    CDevelopParams params;
    OpenSource(params, "half.tif", 32, 120, 80);
    const struct {
        double left, top, right, bottom;  // half pixels
        int32_t width, height;
        bool bright;  // the corner block (top left) or the dark bar (right edge)
    } cases[] = {
        {1, 1, 2, 2, 1, 1, true},
        {0, 0, 1, 160, 1, 80, true},
        {239, 0, 240, 160, 1, 80, false},
        {10, 20, 200, 21, 95, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.left << "," << c.top << "," << c.right << "," << c.bottom);
        CQzSizeRes sizeRes(120, 80);
        sizeRes.SetCropRect(c.left, c.top, c.right, c.bottom);
        ASSERT_EQ(c.width, sizeRes.GetPixelWidth());
        ASSERT_EQ(c.height, sizeRes.GetPixelHeight());
        params.sizeRes = &sizeRes;
        params.sizeResApplied = 1;
        const std::string out = At("half_out.tif");
        ASSERT_EQ(0, SaveDevelopedImage(&params, out.c_str(), 0, kFormatTiff, 0));
        const Reread back = ReadBack(manager, out);
        ASSERT_EQ(0, back.error);
        EXPECT_EQ(c.width, back.width);
        EXPECT_EQ(c.height, back.height);
        ASSERT_FALSE(back.pixels.empty());
        if (c.bright)
            EXPECT_GT(back.pixels[0], 200);
        else
            EXPECT_LT(back.pixels[0], 40);
    }
}

namespace {

// A size and resolution edit of a 120 x 80 source.
struct SizeCase {
    const char* name;
    void (*edit)(CQzSizeRes&);
    int32_t rotation;
};

QzMeasure Resolution(double value) { return QzMeasure{value, 1}; }
QzMeasure Inches(double value) { return QzMeasure{value, 0}; }

}  // namespace

// The saved file has the pixel size the settings report, and its resolution
// prints it at the settings' output width and height.
TEST_F(DevelopSave, TheFileHasTheSizeAndPrintSizeTheSettingsReport)
{
    const SizeCase cases[] = {
        {"unchanged", [](CQzSizeRes&) {}, 0},
        {"resolution 150", [](CQzSizeRes& s) { s.SetOutputResolution(Resolution(150)); }, 0},
        {"resolution 600", [](CQzSizeRes& s) { s.SetOutputResolution(Resolution(600)); }, 0},
        {"resolution 97", [](CQzSizeRes& s) { s.SetOutputResolution(Resolution(97)); }, 0},
        {"scale 0.5", [](CQzSizeRes& s) { s.SetScale(0.5); }, 0},
        {"scale 1.7", [](CQzSizeRes& s) { s.SetScale(1.7); }, 0},
        {"second resolution 150", [](CQzSizeRes& s) { s.SetSecondResolution(Resolution(150), false); }, 0},
        {"second resolution 72", [](CQzSizeRes& s) { s.SetSecondResolution(Resolution(72), false); }, 0},
        {"pixel width 90", [](CQzSizeRes& s) { s.SetPixelWidth(90); }, 0},
        {"pixel height 33", [](CQzSizeRes& s) { s.SetPixelHeight(33); }, 0},
        {"output width 1 inch", [](CQzSizeRes& s) { s.SetOutputWidth(Inches(1.0)); }, 0},
        {"output height 0.1 inch", [](CQzSizeRes& s) { s.SetOutputHeight(Inches(0.1)); }, 0},
        {"crop and resolution 100",
         [](CQzSizeRes& s) {
             s.SetCropRect(20, 10, 220, 150);
             s.SetOutputResolution(Resolution(100));
         },
         0},
        {"odd crop", [](CQzSizeRes& s) { s.SetCropRect(1, 1, 200, 120); }, 0},
        {"scale 0.5 turned",
         [](CQzSizeRes& s) {
             s.SetOrientation(0, 90);
             s.SetScale(0.5);
         },
         90},
        {"resolution 150 turned",
         [](CQzSizeRes& s) {
             s.SetOrientation(0, 270);
             s.SetOutputResolution(Resolution(150));
         },
         270},
        {"size kind, pixel width 50",
         [](CQzSizeRes& s) {
             s.SetHeuristicType(kHeuristicSize);
             s.SetPixelWidth(50);
         },
         0},
        {"size kind, resolution 200 then second 120",
         [](CQzSizeRes& s) {
             s.SetHeuristicType(kHeuristicSize);
             s.SetOutputResolution(Resolution(200));
             s.SetSecondResolution(Resolution(120), false);
         },
         0},
    };
    CDevelopParams params;
    OpenSource(params, "sweep.tif", 32, 120, 80);
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        CQzSizeRes sizeRes(120, 80);
        c.edit(sizeRes);
        params.sizeRes = &sizeRes;
        params.sizeResApplied = 1;
        params.rotation = c.rotation;
        const std::string out = At("sweep_out.tif");
        ASSERT_EQ(0, SaveDevelopedImage(&params, out.c_str(), 0, kFormatTiff, 0));
        IVorlatTagControl* tags = nullptr;
        ASSERT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&tags)));
        const Reread back = ReadBack(manager, out, tags);
        double resolution = 0.0;
        const bool haveResolution = ReadTagBytes(tags, kTagResolution, kTagTypeDoubles, 8, &resolution);
        tags->Destroy();
        ASSERT_EQ(0, back.error);
        ASSERT_TRUE(haveResolution);
        const int32_t width = static_cast<int32_t>(sizeRes.GetPixelWidth());
        const int32_t height = static_cast<int32_t>(sizeRes.GetPixelHeight());
        EXPECT_EQ(width, back.width);
        EXPECT_EQ(height, back.height);
        // Printed at the file's resolution, the file is the settings' output
        // size to within the pixel that the whole pixel count cuts off.
        ASSERT_GT(resolution, 0.0);
        EXPECT_NEAR(sizeRes.GetOutputWidth().value, back.width / resolution, 1.0 / resolution);
        EXPECT_NEAR(sizeRes.GetOutputHeight().value, back.height / resolution, 1.0 / resolution);
#ifndef _WIN32
        if (Have("tiffinfo")) {
            const std::string info = Output("tiffinfo '" + out + "'");
            std::ostringstream size;
            size << "Image Width: " << width << " Image Length: " << height;
            EXPECT_NE(std::string::npos, info.find(size.str())) << info;
            const size_t at = info.find("Resolution: ");
            ASSERT_NE(std::string::npos, at) << info;
            EXPECT_NEAR(resolution, std::atof(info.c_str() + at + 12), 0.01) << info;
        }
#endif
    }
    params.rotation = 0;
}

TEST_F(DevelopSave, PreviewAndReducedRawCopyFitTheirBoxes)
{
    CDevelopParams params;
    OpenSource(params, "source.tif", 32, 96, 64);
    IVorlatImage* preview = nullptr;
    ASSERT_EQ(0, Deepest(manager->CreateImage(&preview, 0)));
    params.rotation = 90;
    EXPECT_TRUE(DevelopPreview(&params, params.source, 40, preview));
    int32_t width = 0, height = 0;
    preview->GetSize(&width, &height);
    EXPECT_EQ(26, width);
    EXPECT_EQ(40, height);
    preview->Destroy();

    CDevelopParams raw;
    OpenSource(raw, "source.xqv", 64, 64, 48);
    // The copy is demosaiced by the single-pass filter, whose output size it fits.
    int32_t developedWidth = 0, developedHeight = 0;
    {
        CDeBayerBase* demosaic = nullptr;
        ASSERT_EQ(1, MakeDemosaicFilter(&demosaic, &raw, false));
        ASSERT_NE(nullptr, demosaic);
        ENGINE_OK(VorlatDataConnect(raw.source, demosaic));
        ENGINE_OK(demosaic->GetSize(&developedWidth, &developedHeight));
        delete demosaic;
    }
    ASSERT_GT(developedWidth, 0);
    const std::string copy = At("copy.xqv");
    ASSERT_EQ(0, SaveReducedRawCopy(&raw, copy.c_str(), 30, 30));
    const Reread back = ReadBack(manager, copy);
    ASSERT_EQ(0, back.error);
    int32_t fitWidth = 0, fitHeight = 0;
    FitIntoBox(developedWidth, developedHeight, 30, 30, &fitWidth, &fitHeight);
    EXPECT_EQ(fitWidth, back.width);
    EXPECT_EQ(fitHeight, back.height);
    EXPECT_EQ(33, back.colorSpace);
}

#ifndef _WIN32
namespace {

// The samples of a binary 8-bit P6 file.
std::vector<uint8_t> ReadPpm(const std::string& path, int32_t* width, int32_t* height)
{
    std::vector<uint8_t> file = ReadAll(path);
    std::istringstream header(std::string(file.begin(), file.begin() + std::min<size_t>(file.size(), 64)));
    std::string magic;
    int32_t top = 0;
    header >> magic >> *width >> *height >> top;
    const size_t start = static_cast<size_t>(header.tellg()) + 1;
    return std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(std::min(start, file.size())), file.end());
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    const double mse = sum / static_cast<double>(a.size());
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// A wide-gamut matrix/TRC profile with a gamma of 1.8, standing in for a camera's.
std::vector<uint8_t> CameraProfile()
{
    qrvtest::IccBuilder camera("RGB ", "XYZ ");
    camera.XYZ("wtpt", 0.9642, 1.0, 0.8249)
        .CurveGamma("rTRC", 461)
        .CurveGamma("gTRC", 461)
        .CurveGamma("bTRC", 461)
        .XYZ("rXYZ", 0.6800, 0.3000, 0.0100)
        .XYZ("gXYZ", 0.1800, 0.6500, 0.0700)
        .XYZ("bXYZ", 0.1042, 0.0500, 0.7449);
    return camera.Build();
}

}  // namespace

// Without sharpening and curves the develop is the camera-to-working
// conversion alone, which lcms2 computes independently.
TEST_F(DevelopSave, ColourPathAgreesWithTificc)
{
    if (!Have("tificc") || !Have("vips"))
        GTEST_SKIP() << "tificc or vips is missing";
    const std::vector<uint8_t> camera = CameraProfile();
    WriteAll(At("camera.icc"), camera);
    const struct {
        int32_t colorSpace;
        int32_t mode;
        const char* wide;
        double tolerance;  // in output codes
    } cases[] = {{32, 0, "", 2.0}, {33, 1, "-w16 ", 65535 * 0.005}};
    for (const auto& c : cases) {
        const bool deep = c.colorSpace == 33;
        CDevelopParams params;
        const std::string name = "colour" + std::to_string(c.colorSpace);
        OpenSource(params, name + ".tif", c.colorSpace, 80, 60);
        WriteCameraProfile(params, camera);
        const std::string out = At(name + "_ours.tif");
        ASSERT_EQ(0, SaveDevelopedImage(&params, out.c_str(), c.mode, kFormatTiff, 0));

        // The same pixels as a plain TIFF (vips writes no chromaticity tags,
        // which tificc would take over the given input profile).
        std::vector<uint8_t> samples = MarkedPixels(80, 60, deep);
        std::vector<uint8_t> netpbm = samples;
        for (size_t i = 0; deep && i + 1 < netpbm.size(); i += 2)
            std::swap(netpbm[i], netpbm[i + 1]);
        const std::string header = "P6\n80 60\n" + std::string(deep ? "65535" : "255") + "\n";
        netpbm.insert(netpbm.begin(), header.begin(), header.end());
        WriteAll(At(name + ".ppm"), netpbm);
        const std::string reference = At(name + "_lcms.tif");
        const std::string command = "vips copy '" + At(name + ".ppm") + "' '" + At(name + "_plain.tif") +
                                    "' && tificc -t 0 " + c.wide + "-i '" + At("camera.icc") + "' -o '" + working +
                                    "' '" + At(name + "_plain.tif") + "' '" + reference + "'";
        ASSERT_EQ(0, std::system((command + " >/dev/null 2>&1").c_str())) << Output(command, true);
        const Reread ours = ReadBack(manager, out);
        const Reread theirs = ReadBack(manager, reference);
        ASSERT_EQ(0, ours.error);
        ASSERT_EQ(0, theirs.error);
        ASSERT_EQ(ours.colorSpace, theirs.colorSpace);
        ASSERT_EQ(ours.pixels.size(), theirs.pixels.size());
        ASSERT_EQ(samples.size(), ours.pixels.size());
        // The engine's gamma curves have a linear toe: compared where input and reference are lit.
        const auto sample = [deep](const std::vector<uint8_t>& p, size_t i) {
            return deep ? (p[2 * i] | p[2 * i + 1] << 8) / 257.0 : double(p[i]);
        };
        double worst = 0.0;
        size_t compared = 0;
        for (size_t i = 0; i < samples.size() / (deep ? 2 : 1); i += 3) {
            bool lit = true;
            for (size_t k = 0; k < 3; ++k)
                lit = lit && sample(samples, i + k) >= 64 && sample(theirs.pixels, i + k) >= 64;
            for (size_t k = 0; lit && k < 3; ++k) {
                const double scale = deep ? 257.0 : 1.0;
                worst = std::max(worst, std::fabs(sample(ours.pixels, i + k) - sample(theirs.pixels, i + k)) * scale);
            }
            compared += lit;
        }
        EXPECT_GT(compared, 1000u);
        EXPECT_LE(worst, c.tolerance) << c.colorSpace;
    }
}

// Crop, half size and a quarter turn, against ImageMagick doing the same.
TEST_F(DevelopSave, GeometryAgreesWithImageMagick)
{
    if (!Have("convert"))
        GTEST_SKIP() << "ImageMagick is missing";
    CDevelopParams params;
    OpenSource(params, "geometry.tif", 32, 200, 120);
    WriteCameraProfile(params, ReadAll(working));
    CQzSizeRes sizeRes(200, 120);
    sizeRes.SetCropRect(40, 20, 360, 220);
    sizeRes.SetScale(0.5);
    // The settings follow the image's turn, as the record keeps them.
    sizeRes.SetOrientation(0, 90);
    params.sizeRes = &sizeRes;
    params.sizeResApplied = 1;
    params.rotation = 90;
    const std::string out = At("geometry_ours.tif");
    ASSERT_EQ(0, SaveDevelopedImage(&params, out.c_str(), 0, kFormatTiff, 0));
    const Reread ours = ReadBack(manager, out);
    ASSERT_EQ(0, ours.error);
    EXPECT_EQ(50, ours.width);
    EXPECT_EQ(80, ours.height);

    const std::string reference = At("geometry_magick.ppm");
    ASSERT_EQ(0, std::system(("convert '" + At("geometry.tif") + "[0]' -crop 160x100+20+10 +repage -filter Box "
                              "-resize 80x50! -rotate 90 -depth 8 '" + reference + "' >/dev/null 2>&1")
                                 .c_str()));
    int32_t width = 0, height = 0;
    const std::vector<uint8_t> theirs = ReadPpm(reference, &width, &height);
    ASSERT_EQ(ours.width, width);
    ASSERT_EQ(ours.height, height);
    ASSERT_EQ(ours.pixels.size(), theirs.size());
    EXPECT_GE(Psnr(ours.pixels, theirs), 35.0);
    // The bright corner block ends up top-right after a clockwise turn, the dark bar at the bottom.
    EXPECT_GT(ours.pixels[(2 * 50 + 47) * 3], 200);
    EXPECT_LT(ours.pixels[(78 * 50 + 25) * 3], 40);
}
#endif
