// Mapping a point back through a filter chain.
#include "app/core/demosaic/map_point.h"

namespace {

// The frames of these two calls keep the locations that error logs have
// always shown for them.
constexpr int32_t kFile = 0;
constexpr int32_t kMapPointLine = 31;
constexpr int32_t kWalkLine = 95;

} // namespace

IVorlatError* MapPointThroughChain(const IVorlatFilterChain* chain, int32_t* x, int32_t* y, int32_t code, int32_t id,
                                   int32_t* index)
{
    IVorlatError* err = nullptr;
    if (!chain || !x || !y || !index)
        return IVorlatError::Add(nullptr, kFile, kWalkLine, kVorlatFromSystem, kVorlatErrState);
    const int32_t count = chain->GetFilterCount();
    int32_t start = *index;
    if (start < 0 || start > count)
        start = count;
    int32_t px = *x, py = *y, found = -1;
    for (int32_t i = start - 1; i >= 0; --i) {
        const IVorlatFilter* filter = chain->GetFilter(i);
        if (VorlatFailed(&err, kFile, kWalkLine, filter->DefilterPoint(&px, &py, nullptr, 0)))
            return err;
        if (filter->GetFilterCode() == code && (id == 0 || filter->GetFilterID() == id)) {
            found = i;
            break;
        }
    }
    *x = px;
    *y = py;
    *index = found;
    return nullptr;
}

IVorlatError* MapPointToFilter(const IVorlatFilterChain* chain, int32_t* x, int32_t* y, const IVorlatFilter* target,
                               int32_t* index)
{
    IVorlatError* err = nullptr;
    if (!target)
        return IVorlatError::Add(nullptr, kFile, kMapPointLine, kVorlatFromSystem, kVorlatErrState);
    VorlatFailed(&err, kFile, kMapPointLine,
                 MapPointThroughChain(chain, x, y, target->GetFilterCode(), target->GetFilterID(), index));
    return err;
}
