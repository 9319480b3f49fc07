// The transform filter: mirrors and rotates its first source. A transform
// state (flip, rotation) means: mirror left-right first, then rotate clockwise
// by the rotation in degrees, then shift the result to start at (0, 0). The
// filter's setting is either the output's absolute state or a state applied on
// top of the source's own (relative, as every caller uses it).
#pragma once

#include <cstdint>

#include "filters/VorlatFilterBase.h"

class KOLVEX_API CVorlatFilterTransform : public CVorlatFilterBase {
public:
    explicit CVorlatFilterTransform(IVorlatManager* manager);

    IVorlatError* SetTransform(bool flip, double rotation, bool relative, bool notify);
    IVorlatError* FlipHorz(bool notify);
    IVorlatError* FlipVert(bool notify);
    IVorlatError* RotateCW(double angle, bool notify);
    IVorlatError* RotateCCW(double angle, bool notify);
    bool GetFilterFlip() const;
    double GetFilterRotation() const;
    bool IsRelative() const;

    // Applies a setting to a state.
    static void DoStateTransform(bool* flip, double* rotation, bool tFlip, double tRotation, bool relative);
    void DoStateTransform(bool* flip, double* rotation) const;
    // Turns a source state into the transform the pixels need to reach the setting.
    static void GetRelativeTransform(bool* flip, double* rotation, bool tFlip, double tRotation, bool relative);
    void GetRelativeTransform(bool* flip, double* rotation) const;
    IVorlatError* GetRelativeTransform(bool* flip, double* rotation, const IVorlatDataSource** sources,
                                       int32_t count) const;

    // Geometry over a source of width w and height h; the rotation is normalised inside.
    static void FilterRect(VorlatDblRect* rect, int32_t w, int32_t h, bool flip, double rotation);
    static void FilterRect(RECT* rect, int32_t w, int32_t h, bool flip, double rotation);
    static void FilterPoint(int32_t* x, int32_t* y, int32_t w, int32_t h, bool flip, double rotation);
    static void FilterPoint(double* x, double* y, int32_t w, int32_t h, bool flip, double rotation);
    static void DefilterRect(VorlatDblRect* rect, int32_t w, int32_t h, bool flip, double rotation);
    static void DefilterRect(RECT* rect, int32_t w, int32_t h, bool flip, double rotation);
    static void DefilterPoint(int32_t* x, int32_t* y, int32_t w, int32_t h, bool flip, double rotation);
    static void DefilterPoint(double* x, double* y, int32_t w, int32_t h, bool flip, double rotation);
    static void GetFilteredSize(int32_t* width, int32_t* height, double rotation);
    // Any finite angle into [0, 360).
    static double ValidateRotation(double rotation);

    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;
    IVorlatError* FilterPoint(double* x, double* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* DefilterPoint(double* x, double* y, const IVorlatDataSource** sources,
                                int32_t count) const override;
    IVorlatError* DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                int32_t count) const override;
    IVorlatError* DefilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* DefilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const override;

protected:
    IVorlatError* GetFilteredSize(const IVorlatDataSource** sources, int32_t count, int32_t* width,
                                  int32_t* height) override;
    IVorlatError* GetFilteredTransform(const IVorlatDataSource** sources, int32_t count, bool* flip,
                                       double* rotation) override;
    IVorlatError* FilterSize(const IVorlatDataSource* source, IVorlatDataDestination::ChangeSize* change) override;
    IVorlatError* FilterTransform(const IVorlatDataSource* source,
                                  IVorlatDataDestination::ChangeTransform* change) override;
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;

private:
    // Stores a new setting and tells the destinations what the output became.
    IVorlatError* Store(bool flip, double rotation, bool relative, bool notify);
    // Calls apply(w, h, flip, rotation) with the first source's size and the
    // relative transform, unless the pixels stay where they are.
    template <typename Apply>
    IVorlatError* Mapping(const IVorlatDataSource** sources, int32_t count, Apply apply) const;

    bool flip_;
    double rotation_;
    bool relative_;
};
