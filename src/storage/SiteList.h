#pragma once
// The sites of one listing, in the order the database delivered them. The list owns its records;
// whoever receives a SiteList from the store owns the list.
#include "storage/SiteRecord.h"

#include <memory>
#include <utility>
#include <vector>

class SiteList {
public:
    void Append(const SiteRecord& record) { records.push_back(std::make_unique<SiteRecord>(record)); }
    void Append(SiteRecord&& record) { records.push_back(std::make_unique<SiteRecord>(std::move(record))); }
    std::size_t GetCount() const { return records.size(); }
    bool IsEmpty() const { return records.empty(); }
    const SiteRecord& Item(std::size_t index) const { return *records[index]; }

private:
    std::vector<std::unique_ptr<SiteRecord>> records;
};
