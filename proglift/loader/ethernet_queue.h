#pragma once
// The command queue of the TCP link: a job queues all of its commands, then they go out one at
// a time, each only after the reply to the one before has arrived.

#include <cstdint>
#include <string>
#include <vector>

namespace proglift {

enum CommandKind : int32_t { UploadRead = 88, DownloadWrite = 99 };

class EthernetQueue {
public:
    // Stores the command at index (from 1 up); returns 1.
    int32_t QueueEthernetCommand(const std::string& command, CommandKind kind, int32_t index);
    // Sends indexes 1 .. endIndex - 1. A queue with no commands (endIndex 1) is finished at once.
    void StartEthernetQueue(int32_t endIndex);

    bool queueActive() const { return queueActive_; }
    bool readyToSend() const { return queueActive_ && readyToSend_; }

    // The next command to send; afterwards a reply is awaited. Only while readyToSend().
    const std::string& takeNextCommand();

    // Acts on the reply to the current command. An upload read adds a non-empty reply to
    // uploadedLines; an empty one ends the upload after this reply.
    void HandleEthernetReply(const std::string& reply, std::vector<std::string>& uploadedLines);

    const std::string& currentCommand() const { return currentCommand_; }

private:
    struct Entry {
        std::string command;
        CommandKind kind = DownloadWrite;
    };
    std::vector<Entry> entries_{1}; // index 0 is never used
    int32_t nextIndex_ = 0;
    int32_t endIndex_ = 0;
    bool queueActive_ = false;
    bool readyToSend_ = false;
    std::string currentCommand_;
    CommandKind currentKind_ = DownloadWrite;
};

} // namespace proglift
