#include "avPath.h"

std::array<std::string, 2> pathCandidates(const char* pszName) {
    return {std::string(PATH_ETC_LOCAL) + pszName, std::string(PATH_ETC_ROOT) + pszName};
}
