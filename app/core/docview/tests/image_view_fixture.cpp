#include "app/core/docview/tests/image_view_fixture.h"

namespace docview_test {

IMPLEMENT_DYNCREATE(TestImageView, CImageDisplayView)

}  // namespace docview_test
