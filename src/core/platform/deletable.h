#pragma once

namespace quillora {

// What the result helper needs to know of the record a result is written into: whether it has
// been deleted since the work began. The store's records implement it.
class Deletable {
public:
    virtual bool isDeleted() const = 0;

protected:
    Deletable() = default;
    ~Deletable() = default;
    Deletable(const Deletable&) = default;
    Deletable& operator=(const Deletable&) = default;
};

} // namespace quillora
