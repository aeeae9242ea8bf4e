#pragma once

// Every transformation of the indexer runs under a watch: a stylesheet may cost the square of its
// page or double a string forty times, and the indexer must neither hang nor fill the memory,
// nor keep the program from quitting. Private to src/search.

#include <atomic>
#include <chrono>

#include <QtGlobal>

#include <libxslt/xsltInternals.h>

// What one transformation may take.
inline constexpr std::chrono::milliseconds kTransformTimeLimit{2000};
inline constexpr qint64 kTransformMemoryLimit = qint64(128) << 20; // bytes held by libxml2 and libxslt

// Watches the transformation of ctxt on the calling thread while it lives: past the time or memory
// limit, or once *cancel is set, libxslt is told to stop (its own stop state, and an exhausted
// XPath operation budget for an expression that is still being evaluated), and the
// transformation gives no result. Keep it alive until the transformation has returned.
class TTransformWatch final {
public:
    TTransformWatch(xsltTransformContextPtr ctxt, const std::atomic<bool>* cancel);
    ~TTransformWatch();
    TTransformWatch(const TTransformWatch&) = delete;
    TTransformWatch& operator=(const TTransformWatch&) = delete;

    // Whether the watch stopped the transformation.
    bool Stopped() const;

    struct TEntry;

private:
    TEntry* m_entry;
};
