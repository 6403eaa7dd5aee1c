#pragma once
// The files of publish/templates/ and the program's icon, built into the
// program (see publish/CMakeLists.txt).

#include <string_view>

namespace hl::publish::embedded {

extern const std::string_view kHeadTemplate;
extern const std::string_view kPictureTemplate;
extern const std::string_view kResultsPageTemplate;
extern const std::string_view kSeasonPageTemplate;
extern const std::string_view kIconSvg;

}  // namespace hl::publish::embedded
