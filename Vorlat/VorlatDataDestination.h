// A consumer of image data: filters, filter chains, histograms, views.
// Linked to sources only through the connection registry (VorlatConnection.h).
#pragma once

#include <cstdint>

#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"
#include "Vorlat/VorlatTypes.h"

class IVorlatDataSource;

class VORLAT_API IVorlatDataDestination {
protected:
    // Removes every link of this destination from the registry.
    virtual ~IVorlatDataDestination();

public:
    // A notification (VorlatDataNotification) from a connected source.
    virtual IVorlatError* VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param) = 0;
    // Asked before a link is made; may refuse, or write a substitute destination.
    virtual IVorlatError* VorlatAddDataSourceCheck(const IVorlatDataSource* source,
                                                   IVorlatDataDestination** substitute) const;
    virtual IVorlatError* VorlatRemoveDataSourceCheck(const IVorlatDataSource* source) const;
    virtual IVorlatError* VorlatAddedDataSource(const IVorlatDataSource* source);
    virtual IVorlatError* VorlatRemovedDataSource(const IVorlatDataSource* source);

    // Parameter records of the notifications 1 to 5.
    struct ChangeSize {
        int32_t oldWidth;
        int32_t oldHeight;
        int32_t newWidth;
        int32_t newHeight;
    };
    struct ChangeColorSpace {
        int32_t oldColorSpace;
        int32_t newColorSpace;
    };
    struct ChangeResolution {
        double oldResolution;
        double newResolution;
    };
    struct ChangeTransform {
        bool oldFlip;
        double oldRotation;
        bool newFlip;
        double newRotation;
        bool flag;  // the third argument of IVorlatImage::SetTransform
        // The sender's output size before and after the change.
        int32_t oldWidth;
        int32_t oldHeight;
        int32_t newWidth;
        int32_t newHeight;
    };
    struct ChangePalette {
        VorlatPalette oldPalette;
        VorlatPalette newPalette;
    };
};
