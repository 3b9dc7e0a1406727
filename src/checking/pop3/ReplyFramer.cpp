// Reply lines cut from the bytes of a POP3 conversation.
#include "checking/pop3/ReplyFramer.h"

#include <cstring>

LineState ReplyFramer::begin(Pop3Reply& reply)
{
    memset(reply.text, 0, sizeof reply.text);
    reply.length = 0;
    lineLength_ = 0;
    if (keptLength_ == 0)
        return LineState::incomplete;
    // take() may keep a part of these bytes again; copy them out first.
    char kept[kReplyLimit];
    size_t length = keptLength_;
    memcpy(kept, kept_, length);
    keptLength_ = 0;
    return take(reply, kept, length);
}

LineState ReplyFramer::add(Pop3Reply& reply, const char* bytes, size_t length)
{
    if (length > kReplyLimit)
        length = kReplyLimit;
    return take(reply, bytes, length);
}

LineState ReplyFramer::take(Pop3Reply& reply, const char* bytes, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (lineLength_ < kReplyTextLength) {
            reply.text[lineLength_] = bytes[i];
            reply.length = lineLength_ + 1;
        }
        ++lineLength_;
        if (bytes[i] == '\n') {
            keptLength_ = length - i - 1;
            memcpy(kept_, bytes + i + 1, keptLength_);
            return LineState::complete;
        }
        if (lineLength_ >= kLongestReplyLine)
            return LineState::tooLong;
    }
    return LineState::incomplete;
}
