#pragma once

#include "text_fit.h"

#include <cstddef>

namespace vk
{

class VkJuceOglFont;

/** The names of one list, each with the width of the column it is drawn in. */
class FittedNameList
{
public:
    virtual ~FittedNameList() = default;
    virtual int size() const noexcept = 0;
    /** UTF-8, valid while the list is. */
    virtual const char* nameAt(int i) const noexcept = 0;
    virtual int widthAt(int i) const noexcept = 0;
};

/** Entry n of the list as fitNameToWidth cuts it, unless another name of the list would then read the same:
    names that differ only where they are cut off ("Mo to St El Guit 1", "... 2") keep their start and as
    much of their end as tells them apart from every such name, with "..." in between ("Mo to St El...1"),
    or only the end when the start does not fit beside it. Entries with the same name read the same.

    Returns the name itself when it fits, else out. [any thread] No allocation: it runs in frames; each cut
    name compares itself with the names of the list that start as it does.
*/
const char* fitNameApart(const VkJuceOglFont& font, const FittedNameList& list, int n, char* out,
                         size_t outSize) noexcept;

} // namespace vk
