// The unsharp mask filter: every output sample is the source sample plus a
// multiple (the power) of its difference from a weighted local mean, after a
// threshold is taken off that difference; an optional range limits the effect
// to a band of tones (or, for one layout, of hues) with soft shoulders.
#pragma once

#include <cstdint>

#include "filters/VorlatFilterBase.h"

class KOLVEX_API CUnsharpMaskFilter : public CVorlatFilterBase {
public:
    // Everything the convolution kernels read.
    struct CKernelParams {
        int32_t planeMask;    // bit k enables channel k (memory order)
        int32_t maskMethod;   // 0 Gaussian, 1 box, 2 cone, 3 raised cosine, 4 quarter cosine, 5 parabolic, else disc
        double power;
        bool affectNoise;     // differences inside the threshold smooth instead of vanishing
        double threshold16;   // threshold in 16-bit sample units
        int32_t reach;        // the kernel spans 2 reach + 1 samples each way
        double kernelScale;   // kernel sum to 16-bit mean
        double cappedPower;   // min(power, 1)
        uint32_t reciprocal;  // ceil(2^48 / kernel total), low 32 bits
        uint16_t* kernel;     // weight rows: four zeros, the weights, zeros to the stride
        int32_t linearLowStart, linearHighEnd, linearLowFull, linearHighFull;
        int32_t cyclicLowStart, cyclicHighEnd, cyclicLowFull, cyclicHighFull;
        double lowSlope, highSlope;
        bool overlapTakesMax;
        bool fullRange;
        bool hueGate;
        int32_t gateHigh;
        int32_t gateLow;
        bool coreOn;
        int32_t coreLow;
        int32_t coreHigh;
        bool kernelDirty;
        int32_t kernelTotal;
        unsigned char* kernelBuffer;
        // The weights were built for the MMX limits and the kernels take that path.
        bool mmxWeights;
        // Radius, parabolic power or weights leave no mask: the source is copied.
        bool degenerate;
    };

    explicit CUnsharpMaskFilter(IVorlatManager* manager);
    ~CUnsharpMaskFilter() override;

    IVorlatError* SetPlaneMask(int32_t mask, bool notify);
    IVorlatError* SetRange(double lowCentre, double lowWidth, double highCentre, double highWidth, bool notify);
    IVorlatError* SetRadius(double radius, bool notify);
    IVorlatError* SetPower(double power, bool notify);
    // In 8-bit sample units.
    IVorlatError* SetThreshold(double threshold, bool notify);
    IVorlatError* SetAffectNoise(bool affectNoise, bool notify);
    IVorlatError* SetMaskMethod(int32_t method, bool notify);
    // The exponent of mask method 5; only stored while another method is set.
    IVorlatError* SetParabolicPower(double exponent, bool notify);

    int32_t GetPlaneMask() const;
    double GetRadius() const;
    double GetPower() const;
    double GetThreshold() const;
    bool GetAffectNoise() const;
    int32_t GetMaskMethod() const;
    double GetParabolicPower() const;
    void GetRange(double* lowCentre, double* lowWidth, double* highCentre, double* highWidth) const;

    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;

protected:
    IVorlatError* FilterData(const IVorlatDataSource* source, RECT* changed) override;
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;
    IVorlatError* GenerateKernel();
    // The mask profile at a distance from the centre.
    double GetValue(double distance) const;

    double rangeLowCentre_;
    double rangeLowWidth_;
    double rangeHighCentre_;
    double rangeHighWidth_;
    double radius_;
    double threshold_;
    double parabolicPower_;
    CKernelParams params_;

private:
    // The setter idiom: mark the cache dirty and tell the destinations that the
    // whole first source changed.
    IVorlatError* Changed(bool notify);
    void UpdatePassThrough();
};
