#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/core/docview/tests/image_view_fixture.h"
#include "app/core/testing/blob_test_util.h"
#include "app/core/testing/record_settings_test_util.h"
#include "clx/thread.h"

using namespace docview_test;
using namespace core_test;

namespace {

constexpr uint32_t kRawSections = qz::kAdjustExposure | qz::kAdjustWhiteBalance;
constexpr uint32_t kSixSections = qz::kAdjustCurves | qz::kAdjustColourBalance | qz::kAdjustSizeRes |
                                  qz::kAdjustUsm | kRawSections;

// A view that keeps the update hints it was asked to apply.
class HintRecordingView : public TestImageView {
    DECLARE_DYNCREATE(HintRecordingView)
public:
    void UpdateAdjustments(uint32_t hints, bool unadjusted, CImageRecord* item) override
    {
        updates.push_back(hints);
        TestImageView::UpdateAdjustments(hints, unadjusted, item);
    }
    std::vector<uint32_t> updates;
};
IMPLEMENT_DYNCREATE(HintRecordingView, TestImageView)

const char* PaletteName(AdjustmentPalette palette)
{
    static const char* const names[] = {"curves", "colour", "size", "usm", "exposure", "wb", "enhancements"};
    return names[static_cast<int32_t>(palette)];
}

struct LoadedSettings {
    AdjustmentPalette palette;
    std::vector<uint8_t> blob;
    uint8_t on;
};

// The fixture's host for drawing, and the palettes and the copy-settings
// dialog as a log and a scripted answer.
struct ClipboardHost final : CQuietViewHost {
    explicit ClipboardHost(TestHost& drawingHost) : base(drawingHost) {}
    void DoIdleWork() override { base.DoIdleWork(); }
    int32_t GetSynchronousPainting() const override { return base.GetSynchronousPainting(); }
    void SetSynchronousPainting(int32_t mark) override { base.SetSynchronousPainting(mark); }
    HWND GetMainWindow() const override { return base.GetMainWindow(); }
    IVorlatManager* GetDrawingManager() const override { return base.GetDrawingManager(); }
    void ShowMessage(int32_t id) override { messages.push_back(id); }

    std::optional<CopySettingsChoice> AskCopySettings() override
    {
        ++dialogs;
        return choice;
    }
    void SetPaletteEnabled(AdjustmentPalette palette, bool on, CImageRecord&) override
    {
        calls.push_back(std::string("enable ") + PaletteName(palette) + (on ? " on" : " off"));
    }
    void RefreshPalette(AdjustmentPalette palette) override
    {
        calls.push_back(std::string("refresh ") + PaletteName(palette));
    }
    void KeepGrayPointRatios() override { calls.push_back("keep gray point"); }
    void LoadPaletteSettings(AdjustmentPalette palette, const IQzState& settings, uint8_t on) override
    {
        loaded.push_back({palette, Blob(settings), on});
    }
    int32_t GetSelectedThumbnailCount() const override { return thumbnails; }
    void SaveSelectedThumbnailSettings() override { ++thumbnailSaves; }

    TestHost& base;
    std::optional<CopySettingsChoice> choice;
    int32_t dialogs = 0;
    int32_t thumbnails = 0;
    int32_t thumbnailSaves = 0;
    std::vector<int32_t> messages;
    std::vector<std::string> calls;
    std::vector<LoadedSettings> loaded;
};

// The settings objects in the block's order.
std::vector<const IQzState*> Objects(const CQzRecordSettings& record)
{
    return {&record.curves, &record.colourBalance, &record.sizeRes,       &record.usm,
            &record.exposure, &record.whiteBalance, &record.noiseReduction};
}

std::vector<std::vector<uint8_t>> Blobs(const CQzRecordSettings& record)
{
    std::vector<std::vector<uint8_t>> blobs;
    for (const IQzState* object : Objects(record))
        blobs.push_back(Blob(*object));
    return blobs;
}

// The source's blobs as a paste leaves them in the target: size and
// resolution read for the target's developed image.
std::vector<std::vector<uint8_t>> PastedBlobs(const CQzRecordSettings& from, const CImageRecord& to)
{
    std::vector<std::vector<uint8_t>> blobs = Blobs(from);
    int32_t width = 0, height = 0;
    if (!GetDevelopedImageSize(to.imageData, &width, &height))
        width = height = 0;
    CQzSizeRes sizeRes;
    const std::vector<uint8_t>& blob = blobs[qz::kSectionSizeRes];
    EXPECT_NE(sizeRes.SetDataForImage(blob.data(), static_cast<int32_t>(blob.size()), width, height), 0);
    blobs[qz::kSectionSizeRes] = Blob(sizeRes);
    return blobs;
}

std::vector<uint32_t> Flags(const CQzRecordSettings& record)
{
    return {record.curvesOn, record.colourBalanceOn, record.usmOn, record.exposureOn, record.whiteBalanceOn,
            record.noiseReductionOn};
}

std::vector<uint8_t> Header(std::vector<uint32_t> sizes)
{
    std::vector<uint8_t> block(qz::kAdjustmentHeaderSize);
    for (size_t i = 0; i < sizes.size(); ++i)
        PutU32(block, 4 * i, sizes[i]);
    return block;
}

// The block as the codec writes it for a record.
std::vector<uint8_t> Block(const CQzRecordSettings& record, uint32_t mask)
{
    std::vector<uint8_t> block(static_cast<size_t>(qz::MeasureAdjustmentBlock(record, mask)));
    EXPECT_TRUE(qz::WriteAdjustmentBlock(record, mask, block.data(), static_cast<int64_t>(block.size())));
    return block;
}

bool Enabled(CImageDisplayView* view, UINT command)
{
    struct Enabling : CCmdUI {
        void Enable(BOOL on) override { enabled = on != FALSE; }
        bool enabled = false;
    } ui;
    ui.m_nID = command;
    view->OnCmdMsg(command, CN_UPDATE_COMMAND_UI, &ui, nullptr);
    return ui.enabled;
}

DWORD WINAPI EmptyFromAnotherThread(void*)
{
    HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const bool emptied = OpenClipboardPatiently(window) && ::EmptyClipboard();
    ::CloseClipboard();
    ::DestroyWindow(window);
    return emptied ? 0 : 1;
}

class AdjustmentClipboardTest : public ImageViewTest {
protected:
    void SetUp() override
    {
        ImageViewTest::SetUp();
        SetImageViewHost(&palettes);
        WNDCLASSA cls{};
        cls.lpfnWndProc = ::DefWindowProcA;
        cls.hInstance = ::GetModuleHandleA(nullptr);
        cls.lpszClassName = "TessClipboardTestOther";
        ::RegisterClassA(&cls);
        other = ::CreateWindowExA(0, cls.lpszClassName, "", 0, 0, 0, 10, 10, nullptr, nullptr, cls.hInstance,
                                  nullptr);
        EmptyTheClipboard();
    }
    void TearDown() override
    {
        EmptyTheClipboard();
        for (HGLOBAL block : putBlocks)
            ::GlobalFree(block);
        ::DestroyWindow(other);
        for (CFrameWnd* shown : frames) {
            shown->SendMessage(WM_CLOSE);
            EXPECT_TRUE(PumpUntilIdle());
        }
        records.clear();
        ImageViewTest::TearDown();
    }

    // A view on a record of its own, in a frame of its own.
    HintRecordingView* ShowRecord(bool raw)
    {
        MakeRecord(raw, 48, 32);
        HintRecordingView* view = ShowView();
        records.push_back(std::move(record));
        return view;
    }
    // Without a record when none was made since the last view.
    HintRecordingView* ShowView()
    {
        auto* view = static_cast<HintRecordingView*>(ShowIn(new TestDoc, RUNTIME_CLASS(HintRecordingView), 160, 120));
        frames.push_back(frame);
        frame = nullptr;
        if (view)
            view->updates.clear();
        return view;
    }

    // Another program's window takes the clipboard (the view that owned it frees its block).
    void EmptyTheClipboard()
    {
        ASSERT_TRUE(OpenClipboardPatiently(other));
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    // Another program puts bytes of its own under the adjustments format.
    void PutOnClipboard(const std::vector<uint8_t>& bytes)
    {
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        ASSERT_NE(block, nullptr);
        std::memcpy(::GlobalLock(block), bytes.data(), bytes.size());
        ::GlobalUnlock(block);
        putBlocks.push_back(block);
        ASSERT_TRUE(OpenClipboardPatiently(other));
        ::EmptyClipboard();
        EXPECT_NE(::SetClipboardData(qz::kAdjustmentClipboardFormat, block), nullptr);
        ::CloseClipboard();
    }
    static std::optional<std::vector<uint8_t>> ClipboardBytes()
    {
        if (!OpenClipboardPatiently(nullptr))
            return std::nullopt;
        std::optional<std::vector<uint8_t>> bytes;
        if (HANDLE data = ::GetClipboardData(qz::kAdjustmentClipboardFormat)) {
            const auto* at = static_cast<const uint8_t*>(::GlobalLock(data));
            bytes.emplace(at, at + ::GlobalSize(data));
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
        return bytes;
    }

    ClipboardHost palettes{host};
    HWND other = nullptr;
    std::vector<HGLOBAL> putBlocks;
    std::vector<CFrameWnd*> frames;
    std::vector<std::unique_ptr<CImageRecord>> records;
};

}  // namespace

TEST_F(AdjustmentClipboardTest, CopyAllInOneViewPastesEverySettingButNoiseReductionIntoAnother)
{
    HintRecordingView* source = ShowRecord(true);
    ASSERT_NE(source, nullptr);
    CImageRecord& from = *records.back();
    EditEverySetting(from);
    HintRecordingView* target = ShowRecord(true);
    ASSERT_NE(target, nullptr);
    CImageRecord& to = *records.back();
    const std::vector<uint8_t> noiseReduction = Blob(to.noiseReduction);

    EXPECT_TRUE(Enabled(source, kCmdCopyAllAdjustments));
    EXPECT_FALSE(Enabled(target, kCmdPaste));
    source->SendMessage(WM_COMMAND, kCmdCopyAllAdjustments);
    ASSERT_NE(source->GetClipboardBlock(), nullptr);
    EXPECT_EQ(ClipboardBytes(), Block(from, qz::kAdjustAll));
    EXPECT_TRUE(Enabled(target, kCmdPaste));

    target->SendMessage(WM_COMMAND, kCmdPaste);
    const std::vector<std::vector<uint8_t>> want = PastedBlobs(from, to), got = Blobs(to);
    for (int32_t i = 0; i < qz::kSectionNoiseReduction; ++i)
        EXPECT_EQ(Hex(got[i]), Hex(want[i])) << "section " << i;
    EXPECT_EQ(got[qz::kSectionNoiseReduction], noiseReduction);
    EXPECT_EQ(Flags(to), (std::vector<uint32_t>{1, 1, 1, 1, 1, 0}));  // colour balance's 0x101 travels as a byte
    EXPECT_EQ(target->updates, std::vector<uint32_t>{kSixSections});
    const std::vector<std::string> calls = {
        "enable curves on", "refresh curves", "refresh colour", "enable colour on", "refresh curves",
        "refresh colour",   "refresh size",   "enable usm on",  "refresh usm",      "enable exposure on",
        "refresh exposure", "enable wb on",   "keep gray point", "refresh wb",      "refresh enhancements"};
    EXPECT_EQ(palettes.calls, calls);
    EXPECT_TRUE(palettes.messages.empty());
    EXPECT_EQ(palettes.thumbnailSaves, 0);
}

TEST_F(AdjustmentClipboardTest, CopyAllOfAnEmptySharpeningListStillWritesItsSection)
{
    HintRecordingView* view = ShowRecord(false);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(records.back()->usm.GetCount(), 0);
    view->SendMessage(WM_COMMAND, kCmdCopyAllAdjustments);
    const std::optional<std::vector<uint8_t>> bytes = ClipboardBytes();
    ASSERT_TRUE(bytes);
    qz::AdjustmentBlock block;
    ASSERT_TRUE(qz::ReadAdjustmentBlock(bytes->data(), bytes->size(), block));
    for (const qz::AdjustmentSection& section : block.sections)
        EXPECT_TRUE(section.present);
    const qz::AdjustmentSection& usm = block.sections[qz::kSectionUsm];
    EXPECT_EQ(usm.flag, 0);
    EXPECT_EQ(std::vector<uint8_t>(usm.blob, usm.blob + usm.blobSize), Blob(records.back()->usm));
    EXPECT_EQ(U32At(*bytes, 4 * qz::kSectionUsm), static_cast<uint32_t>(usm.blobSize) + 1);
}

TEST_F(AdjustmentClipboardTest, ExposureAndWhiteBalanceArePastedOnlyOntoRawImagesOrRecordsWithoutTags)
{
    CQzRecordSettings edited;
    EditEverySetting(edited);
    struct Case {
        const char* name;
        bool raw;
        bool tags;  // a JPEG's tag store: no raw file kind
        uint32_t applied;
    } cases[] = {
        {"raw", true, true, kSixSections},
        {"jpeg", false, true, kSixSections & ~kRawSections},
        {"no tag store", false, false, kSixSections},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HintRecordingView* view = ShowRecord(c.raw);
        ASSERT_NE(view, nullptr);
        CImageRecord& to = *records.back();
        if (c.tags && !to.tags) {
            ASSERT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&to.tags)));
        }
        const std::vector<std::vector<uint8_t>> before = Blobs(to);
        PutOnClipboard(Block(edited, qz::kAdjustAll));
        palettes.calls.clear();
        view->SendMessage(WM_COMMAND, kCmdPaste);
        EXPECT_EQ(view->updates, std::vector<uint32_t>{c.applied});
        const std::vector<std::vector<uint8_t>> after = Blobs(to), want = PastedBlobs(edited, to);
        const uint32_t bits[] = {qz::kAdjustCurves, qz::kAdjustColourBalance, qz::kAdjustSizeRes, qz::kAdjustUsm,
                                 qz::kAdjustExposure, qz::kAdjustWhiteBalance};
        for (int32_t i = 0; i < 6; ++i)
            EXPECT_EQ(after[i], (c.applied & bits[i]) ? want[i] : before[i]) << "section " << i;
        EXPECT_EQ(to.exposureOn, (c.applied & qz::kAdjustExposure) ? 1u : 0u);
        const bool palettesToldOfRawSettings =
            std::find(palettes.calls.begin(), palettes.calls.end(), "refresh wb") != palettes.calls.end();
        EXPECT_EQ(palettesToldOfRawSettings, (c.applied & kRawSections) != 0);
    }
}

TEST_F(AdjustmentClipboardTest, CopyImageAdjustmentsCopiesTheGroupsTickedInTheDialog)
{
    HintRecordingView* view = ShowRecord(true);
    ASSERT_NE(view, nullptr);
    EditEverySetting(*records.back());
    const std::vector<uint8_t> marker = Header({});
    struct Case {
        const char* name;
        std::optional<CopySettingsChoice> choice;
        std::optional<uint32_t> mask;  // nothing: the other program's block stays
        bool failed;
    } cases[] = {
        {"cancelled", std::nullopt, std::nullopt, false},
        {"nothing ticked", CopySettingsChoice{}, std::nullopt, true},
        {"curves and white balance", CopySettingsChoice{true, false, false, false, false, true},
         qz::kAdjustCurves | qz::kAdjustWhiteBalance, false},
        {"size and sharpening", CopySettingsChoice{false, false, true, true, false, false},
         qz::kAdjustSizeRes | qz::kAdjustUsm, false},
        {"all six", CopySettingsChoice{true, true, true, true, true, true}, kSixSections, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutOnClipboard(marker);
        palettes.choice = c.choice;
        palettes.messages.clear();
        palettes.dialogs = 0;
        view->SendMessage(WM_COMMAND, kCmdCopyImageAdjustments);
        EXPECT_EQ(palettes.dialogs, 1);
        EXPECT_EQ(palettes.messages, c.failed ? std::vector<int32_t>{kMessageClipboardWriteFailed}
                                              : std::vector<int32_t>{});
        if (c.mask)
            EXPECT_EQ(ClipboardBytes(), Block(*records.back(), *c.mask));
        else
            EXPECT_EQ(ClipboardBytes(), marker);
        EXPECT_EQ(view->GetClipboardBlock() != nullptr, c.mask.has_value());
    }
}

TEST_F(AdjustmentClipboardTest, BlockIsFreedOnceWhenAnotherProgramTakesTheClipboard)
{
    HintRecordingView* first = ShowRecord(false);
    HintRecordingView* second = ShowRecord(false);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->CopyAdjustments(qz::kAdjustAll));
    ASSERT_NE(first->GetClipboardBlock(), nullptr);

    // Copying again in another view takes the clipboard from the first
    // (whose handle the new block may well reuse).
    ASSERT_TRUE(second->CopyAdjustments(qz::kAdjustCurves));
    EXPECT_EQ(first->GetClipboardBlock(), nullptr);
    const HGLOBAL secondBlock = second->GetClipboardBlock();
    ASSERT_NE(secondBlock, nullptr);

    // Another program, on a thread of its own, empties the clipboard.
    HANDLE thread = ::CreateThread(nullptr, 0, EmptyFromAnotherThread, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(clx::WaitServicingSent(thread, 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    ::GetExitCodeThread(thread, &code);
    ::CloseHandle(thread);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(second->GetClipboardBlock(), nullptr);
    EXPECT_EQ(::GlobalSize(secondBlock), 0u);
    EXPECT_FALSE(Enabled(second, kCmdPaste));

    // A late or repeated notice frees nothing more.
    second->SendMessage(WM_DESTROYCLIPBOARD);
    first->SendMessage(WM_DESTROYCLIPBOARD);
    EXPECT_EQ(second->GetClipboardBlock(), nullptr);
    EXPECT_FALSE(ClipboardBytes());
}

TEST_F(AdjustmentClipboardTest, AdjustmentsCopiedFromAnImageThatWasClosedStillPaste)
{
    HintRecordingView* source = ShowRecord(false);
    ASSERT_NE(source, nullptr);
    CImageRecord& from = *records.back();
    EditEverySetting(from);
    ASSERT_TRUE(source->CopyAdjustments(qz::kAdjustCurves | qz::kAdjustUsm));
    const std::vector<uint8_t> copied = Block(from, qz::kAdjustCurves | qz::kAdjustUsm);
    // The block stays on the clipboard when its view goes.
    CFrameWnd* sourceFrame = frames.back();
    frames.pop_back();
    sourceFrame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(ClipboardBytes(), copied);

    HintRecordingView* target = ShowRecord(false);
    ASSERT_NE(target, nullptr);
    target->SendMessage(WM_COMMAND, kCmdPaste);
    EXPECT_EQ(target->updates, std::vector<uint32_t>{qz::kAdjustCurves | qz::kAdjustUsm});
    EXPECT_EQ(Blob(records.back()->curves), Blob(from.curves));
    EXPECT_TRUE(palettes.messages.empty());
}

TEST_F(AdjustmentClipboardTest, UnreadableDataShowsTheMessageAndChangesNothing)
{
    HintRecordingView* view = ShowRecord(true);
    ASSERT_NE(view, nullptr);
    CImageRecord& to = *records.back();
    CQzRecordSettings edited;
    EditEverySetting(edited);
    const std::vector<uint8_t> good = Block(edited, qz::kAdjustAll);
    const uint32_t curves = U32At(good, 0);

    std::vector<uint8_t> beyond = good;  // the sizes add up past the block's end
    PutU32(beyond, 4 * qz::kSectionNoiseReduction, U32At(good, 4 * qz::kSectionNoiseReduction) + 1);
    std::vector<uint8_t> wrapping = good;  // the sum wraps in 32 bits
    PutU32(wrapping, 4, 0xFFFFFFFFu - curves + 2);
    struct Case {
        const char* name;
        std::optional<std::vector<uint8_t>> bytes;  // nothing: announced, never rendered
    } cases[] = {
        {"shorter than the header", std::vector<uint8_t>(good.begin(), good.begin() + 27)},
        {"sizes beyond the block", beyond},
        {"sizes wrapping in 32 bits", wrapping},
        {"no data", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.bytes) {
            PutOnClipboard(*c.bytes);
        } else {
            ASSERT_TRUE(OpenClipboardPatiently(other));
            ::EmptyClipboard();
            ::SetClipboardData(qz::kAdjustmentClipboardFormat, nullptr);
            ::CloseClipboard();
        }
        const std::vector<std::vector<uint8_t>> before = Blobs(to);
        const std::vector<uint32_t> flags = Flags(to);
        palettes.messages.clear();
        palettes.calls.clear();
        view->updates.clear();
        view->SendMessage(WM_COMMAND, kCmdPaste);
        EXPECT_EQ(palettes.messages, std::vector<int32_t>{kMessageClipboardReadFailed});
        EXPECT_EQ(Blobs(to), before);
        EXPECT_EQ(Flags(to), flags);
        EXPECT_TRUE(palettes.calls.empty());
        EXPECT_TRUE(view->updates.empty());
        // The clipboard was closed again.
        EXPECT_TRUE(OpenClipboardPatiently(other));
        ::CloseClipboard();
    }
}

TEST_F(AdjustmentClipboardTest, HeaderOfZeroSizesRunsTheUpdateWithNoBits)
{
    HintRecordingView* view = ShowRecord(true);
    ASSERT_NE(view, nullptr);
    const std::vector<std::vector<uint8_t>> before = Blobs(*records.back());
    PutOnClipboard(Header({0, 0, 0, 0, 0, 0, 0}));
    view->SendMessage(WM_COMMAND, kCmdPaste);
    EXPECT_EQ(view->updates, std::vector<uint32_t>{0});
    EXPECT_EQ(palettes.calls, std::vector<std::string>{"refresh enhancements"});
    EXPECT_TRUE(palettes.messages.empty());
    EXPECT_EQ(Blobs(*records.back()), before);
}

TEST_F(AdjustmentClipboardTest, WithoutARecordThePalettesLoadEachSectionForTheSelectedThumbnails)
{
    HintRecordingView* view = ShowView();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->GetRecord(), nullptr);
    CQzRecordSettings edited;
    EditEverySetting(edited);
    edited.usmOn = 0;
    std::vector<uint8_t> block = Block(edited, qz::kAdjustAll);
    // Colour balance's blob names another class: that section is left out.
    block[qz::kAdjustmentHeaderSize + U32At(block, 0) + 1] ^= 0xFF;

    PutOnClipboard(block);
    struct Enabling {
        int32_t thumbnails;
        bool paste;
    } enabling[] = {{0, false}, {1, false}, {2, true}};
    for (const Enabling& e : enabling) {
        palettes.thumbnails = e.thumbnails;
        EXPECT_EQ(Enabled(view, kCmdPaste), e.paste) << e.thumbnails << " selected";
        EXPECT_FALSE(Enabled(view, kCmdCopyAllAdjustments));
        EXPECT_FALSE(Enabled(view, kCmdCopyImageAdjustments));
    }

    palettes.thumbnails = 3;
    view->SendMessage(WM_COMMAND, kCmdPaste);
    const std::vector<std::vector<uint8_t>> want = Blobs(edited);
    struct Expected {
        AdjustmentPalette palette;
        int32_t section;
        uint8_t on;
    } expected[] = {
        {AdjustmentPalette::kCurves, qz::kSectionCurves, 1},
        {AdjustmentPalette::kSizeRes, qz::kSectionSizeRes, 0},
        {AdjustmentPalette::kUnsharpMask, qz::kSectionUsm, 0},
        {AdjustmentPalette::kExposure, qz::kSectionExposure, 1},
        {AdjustmentPalette::kWhiteBalance, qz::kSectionWhiteBalance, 1},
    };
    ASSERT_EQ(palettes.loaded.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(PaletteName(expected[i].palette));
        EXPECT_EQ(palettes.loaded[i].palette, expected[i].palette);
        EXPECT_EQ(Hex(palettes.loaded[i].blob), Hex(want[expected[i].section]));
        EXPECT_EQ(palettes.loaded[i].on, expected[i].on);
    }
    EXPECT_EQ(view->updates, std::vector<uint32_t>{0});
    EXPECT_EQ(palettes.calls, std::vector<std::string>{"refresh enhancements"});
    EXPECT_EQ(palettes.thumbnailSaves, 1);
    EXPECT_TRUE(palettes.messages.empty());
}
