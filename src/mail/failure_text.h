#pragma once

// The frame of a failed hand-off's text, the same on both platforms: the
// opening, the reason as each platform names it, the closing and the dump's path.

#include "common/bounded_text.h"
#include "common/texts.h"
#include "dump/dump_path.h"

template <typename AppendReason>
void ComposeSendFailure(BoxText& message, const DumpPath& dumpPath, AppendReason appendReason) {
    BoundedText text(message);
    text.Append(SendFailureOpening);
    appendReason(text);
    text.Append(SendFailureClosing).Append(dumpPath.data());
}
