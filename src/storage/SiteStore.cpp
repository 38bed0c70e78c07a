#include "storage/SiteStore.h"

// Placeholder until the database layer lands: a store that holds nothing.
SiteStore::SiteStore(StoreMessageSink* sink) : sink(sink) {}
SiteStore::~SiteStore() = default;
int SiteStore::Open(const wxString& p) { path = p; opened = true; return 1; }
int SiteStore::Create(const wxString&) { return 0; }
int SiteStore::AddSite(SiteRecord) { return 0; }
int SiteStore::DeleteSite(const wxString&, const wxString&) { return 0; }
std::unique_ptr<SiteRecord> SiteStore::FindSite(const wxString&, const wxString&) { return nullptr; }
std::unique_ptr<SiteList> SiteStore::ListSites() { return nullptr; }
int SiteStore::Close() { opened = false; return 1; }
