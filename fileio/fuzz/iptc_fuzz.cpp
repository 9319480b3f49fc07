// The IPTC block through the tag store's container (keywords and caption read
// and changed), the Photoshop segment built from it, and the PrintIM block.
#include <string>

#include "fileio/fuzz/fuzz_util.h"
#include "fileio/meta/iptc_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quarnite_fuzz;
    std::vector<uint8_t> block(data, data + size);
    Store store;
    IVorlatTagControl* tags = store.tags;
    Drop(tags->AddTag(0x83BB));
    TagItemRequest request{1, static_cast<uint32_t>(block.size()), block.data()};
    Drop(tags->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0));

    IptcKeywordRequest keyword{0xFFFFFFFFu, 0, nullptr};
    request = {kTagIptcKeywords, sizeof keyword, &keyword};
    if (IVorlatError* err = tags->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)) {
        err->Destroy();
        keyword.index = 0;
    }
    const uint32_t count = keyword.index;
    for (uint32_t i = 0; i < count && i < 64; ++i) {
        keyword = {i, 0, nullptr};
        Drop(tags->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0));
        std::string text(keyword.size, '\0');
        keyword = {i, static_cast<uint32_t>(text.size()), text.data()};
        Drop(tags->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0));
    }
    char word[] = "fuzz";
    keyword = {count / 2, 4, word};
    Drop(tags->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0));
    TagItemRequest caption{kTagIptcCaption, 0, nullptr};
    Drop(tags->GetTagValue(0x83BB, kTagTypeIptc, sizeof caption, &caption, 0));
    caption = {kTagIptcCaption, 7, word};
    Drop(tags->SetTagValue(0x83BB, kTagTypeIptc, sizeof caption, &caption, 0));

    {
        Memory segment(256 + 2 * size);
        Drop(quarnite::WritePhotoshopSegment(segment.stream, tags));
    }
    Store copy;
    Drop(copy.tags->CopyFrom(tags));

    // The same bytes as a PrintIM block of either byte order, and built back.
    for (bool swap : {false, true}) {
        Store print;
        Memory in(std::vector<uint8_t>(data, data + size), true);
        quarnite::IfdCodec codec;
        codec.Attach(print.tags, in.stream, swap);
        Drop(quarnite::ReadPrintImBlock(codec, 0, static_cast<uint32_t>(size)));
        std::vector<uint8_t> built;
        Drop(quarnite::BuildPrintImBlock(print.tags, swap, &built));
    }
    return 0;
}
