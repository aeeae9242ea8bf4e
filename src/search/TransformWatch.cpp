#include "search/TransformWatch.h"

#include "core/XmlParsing.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <libxml/xpath.h>

struct TTransformWatch::TEntry {
    xsltTransformContextPtr Ctxt;
    std::chrono::steady_clock::time_point Deadline;
    const std::atomic<bool>* Cancel;
    TXmlMemoryAccount Memory; // opened on the transforming thread, as it must be
    std::atomic<bool> Stopped{false};
};

namespace {

// How often the watcher looks at the running transformations: a cancelled one stops within this.
constexpr std::chrono::milliseconds kWatchInterval{20};

// One thread watches every transformation of the process. It is made on first use and never
// ends: the indexer's threads may still be transforming while the program exits, so nothing of
// it is ever destroyed. It writes only into contexts that are registered, under its mutex.
class TWatcher final {
public:
    static TWatcher& Instance() {
        static TWatcher* const watcher = new TWatcher;
        return *watcher;
    }

    void Add(TTransformWatch::TEntry* entry) {
        std::lock_guard lock(m_mutex);
        m_entries.push_back(entry);
        if (!m_started) {
            std::thread([this] { Run(); }).detach();
            m_started = true;
        }
        m_changed.notify_one();
    }

    void Remove(TTransformWatch::TEntry* entry) {
        std::lock_guard lock(m_mutex);
        m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), entry), m_entries.end());
    }

private:
    void Run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (m_entries.empty())
                m_changed.wait(lock, [this] { return !m_entries.empty(); });
            else
                m_changed.wait_for(lock, kWatchInterval);
            const auto now = std::chrono::steady_clock::now();
            for (TTransformWatch::TEntry* entry : m_entries)
                if (!entry->Stopped && (now >= entry->Deadline || (entry->Cancel && entry->Cancel->load()) ||
                                        entry->Memory.Bytes() > kTransformMemoryLimit))
                    Stop(*entry);
        }
    }

    // libxslt looks at its state between instructions; an XPath expression that runs long (a
    // scan of the page for each node of another scan) fails at its next operation once the
    // budget is spent. Both are plain fields that the transforming thread reads as it goes.
    static void Stop(TTransformWatch::TEntry& entry) {
        entry.Stopped = true;
        xsltTransformContextPtr ctxt = entry.Ctxt;
        *reinterpret_cast<volatile xsltTransformState*>(&ctxt->state) = XSLT_STATE_STOPPED;
        *reinterpret_cast<volatile unsigned long*>(&ctxt->opLimit) = 1;
        if (ctxt->xpathCtxt)
            *reinterpret_cast<volatile unsigned long*>(&ctxt->xpathCtxt->opLimit) = 1;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<TTransformWatch::TEntry*> m_entries;
    bool m_started = false;
};

} // namespace

TTransformWatch::TTransformWatch(xsltTransformContextPtr ctxt, const std::atomic<bool>* cancel)
    : m_entry(new TEntry{ctxt, std::chrono::steady_clock::now() + kTransformTimeLimit, cancel, {}, {}}) {
    TWatcher::Instance().Add(m_entry);
}

TTransformWatch::~TTransformWatch() {
    TWatcher::Instance().Remove(m_entry);
    delete m_entry;
}

bool TTransformWatch::Stopped() const {
    return m_entry->Stopped;
}
