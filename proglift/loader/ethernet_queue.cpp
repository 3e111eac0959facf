#include "proglift/loader/ethernet_queue.h"

namespace proglift {

int32_t EthernetQueue::QueueEthernetCommand(const std::string& command, CommandKind kind,
                                            int32_t index) {
    if (index < 1) return 1;
    if (static_cast<size_t>(index) >= entries_.size()) entries_.resize(index + 1);
    entries_[index] = {command, kind};
    return 1;
}

void EthernetQueue::StartEthernetQueue(int32_t endIndex) {
    nextIndex_ = 1;
    endIndex_ = endIndex;
    readyToSend_ = true;
    queueActive_ = endIndex > 1;
    if (!queueActive_) nextIndex_ = endIndex_ = 0;
}

const std::string& EthernetQueue::takeNextCommand() {
    const Entry& entry =
        static_cast<size_t>(nextIndex_) < entries_.size() ? entries_[nextIndex_] : entries_[0];
    currentCommand_ = entry.command;
    currentKind_ = entry.kind;
    ++nextIndex_;
    readyToSend_ = false;
    return currentCommand_;
}

void EthernetQueue::HandleEthernetReply(const std::string& reply,
                                        std::vector<std::string>& uploadedLines) {
    if (!queueActive_ || readyToSend_) return;
    if (currentKind_ == UploadRead) {
        if (!reply.empty())
            uploadedLines.push_back(reply);
        else
            endIndex_ = nextIndex_;
    }
    if (endIndex_ == nextIndex_) {
        queueActive_ = false;
        nextIndex_ = endIndex_ = 0;
    }
    readyToSend_ = true;
}

} // namespace proglift
