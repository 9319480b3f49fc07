// The IPTC record held by tag 33723: the raw block of datasets, and the
// Keywords and Caption/Abstract texts read out of it. Every other dataset
// travels inside the raw block unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Vorlat/VorlatError.h"

namespace quarnite {

class IptcRecord {
public:
    static constexpr uint16_t kKeywords = 0x219;  // record 2, dataset 25
    static constexpr uint16_t kCaption = 0x278;   // record 2, dataset 120
    static constexpr size_t kMaxText = 32767;     // the longest data a plain length holds

    struct Dataset {
        size_t start;      // the 0x1C marker
        size_t dataStart;
        size_t length;
        bool extended;
        uint16_t number;   // record * 256 + dataset
    };

    const std::vector<uint8_t>& Block() const { return block_; }
    const std::string& Caption() const { return caption_; }
    const std::vector<std::string>& Keywords() const { return keywords_; }

    // Replaces the block and reads caption and keywords from it.
    IVorlatError* SetBlock(const uint8_t* data, size_t size);
    IVorlatError* SetCaption(const char* text, size_t length);
    // A null text removes the keyword; an index past the last adds one.
    IVorlatError* SetKeyword(uint32_t index, const char* text, size_t length);

    // The well-formed datasets from the block's start; a malformed one, or one
    // that passes the block's end, ends the walk.
    std::vector<Dataset> Walk() const;

private:
    void Parse();
    // The k-th dataset of the number; Keywords count only non-empty ones,
    // the same datasets that make up the keyword list.
    const Dataset* Find(const std::vector<Dataset>& sets, uint16_t number, size_t k) const;
    bool Insert(uint16_t number, const char* data, size_t length);
    bool Replace(const Dataset& set, const char* data, size_t length);
    bool Remove(const Dataset& set);

    std::vector<uint8_t> block_;
    std::string caption_;
    std::vector<std::string> keywords_;
};

} // namespace quarnite
