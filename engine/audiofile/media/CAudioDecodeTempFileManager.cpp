#include "engine/audiofile/media/CAudioDecodeTempFileManager.h"

#include <atomic>

#include "engine/audiofile/io/CAudioFileReadBase.h"

namespace
{
std::atomic<CAudioDecodeTempFileManager*> g_instance{nullptr};
std::mutex g_instanceLock;
} // namespace

CAudioDecodeTempFileManager* CAudioDecodeTempFileManager::GetInstance()
{
    CAudioDecodeTempFileManager* instance = g_instance.load(std::memory_order_acquire);
    if (instance != nullptr)
        return instance;
    std::lock_guard<std::mutex> guard(g_instanceLock);
    instance = g_instance.load(std::memory_order_relaxed);
    if (instance == nullptr)
    {
        instance = new CAudioDecodeTempFileManager();
        g_instance.store(instance, std::memory_order_release);
    }
    return instance;
}

void CAudioDecodeTempFileManager::DeleteTempFiles()
{
    std::lock_guard<std::mutex> guard(g_instanceLock);
    CAudioDecodeTempFileManager* instance = g_instance.load(std::memory_order_relaxed);
    if (instance == nullptr)
        return;
    instance->SweepDeferredReaders();
    g_instance.store(nullptr, std::memory_order_release);
    delete instance;
}

void CAudioDecodeTempFileManager::AppendDeferredReader(CAudioFileReadBase* reader)
{
    if (reader == nullptr)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    m_deferredReaders.push_back(reader);
}

size_t CAudioDecodeTempFileManager::GetDeferredReaderCount()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_deferredReaders.size();
}

void CAudioDecodeTempFileManager::SweepDeferredReaders()
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (size_t i = 0; i < m_deferredReaders.size();)
    {
        CAudioFileReadBase* reader = m_deferredReaders[i];
        if (reader->IsPreparing())
        {
            ++i;
            continue;
        }
        delete reader;
        m_deferredReaders.erase(m_deferredReaders.begin() + static_cast<long>(i));
    }
}
