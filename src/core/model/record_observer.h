#pragma once

#include "platform/result.h"

namespace quillora {

class PortfolioItem;
class Record;
class Resume;

// What a record asks of the store that tracks it: to hear of its changes, and to read what it
// left in the store until first asked for (long texts, entry lists, image bytes). The model
// context is the one implementation; records know it only through this.
class RecordObserver {
public:
    // One of the record's persisted properties changed.
    virtual void recordDidChange(Record* record, int propertyIndex) = 0;
    // A résumé is about to replace one of its entry lists.
    virtual void recordWillChangeRelationship(Record* record) = 0;

    virtual Status loadUnreadValues(Record* record) = 0;
    virtual Status loadEntries(Resume* resume) = 0;
    virtual Status loadImageData(PortfolioItem* item) = 0;

protected:
    RecordObserver() = default;
    ~RecordObserver() = default;
    RecordObserver(const RecordObserver&) = default;
    RecordObserver& operator=(const RecordObserver&) = default;
};

} // namespace quillora
