#pragma once

// A value handed from the thread that writes it (the audio thread, with the host's transport) to readers on
// any thread (a parameter change on a host or editor thread that asks for the tempo). The writer stores the
// value word by word between two steps of a sequence count, and a reader takes a copy only when the count
// was even and unchanged across it, so it never sees half of one value and half of the next.
// publish: [one writer at a time] lock-free, no allocation. read: [any thread] lock-free, no allocation;
// retries while a write is under way.

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <type_traits>

template <typename T>
class VkSequencedCopy
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_default_constructible_v<T>,
                  "the value is copied as plain words");

public:
    void publish(const T& value) noexcept
    {
        std::uint64_t words[kWords] = {};
        std::memcpy(words, &value, sizeof value);
        const auto sequence = m_sequence.load(std::memory_order_relaxed);
        m_sequence.store(sequence + 1, std::memory_order_relaxed);
        // Release stores: a reader that sees any new word also sees the odd count written before it.
        for (std::size_t i = 0; i < kWords; ++i)
            m_words[i].store(words[i], std::memory_order_release);
        m_sequence.store(sequence + 2, std::memory_order_release);
    }

    T read() const noexcept
    {
        std::uint64_t words[kWords] = {};
        for (int attempt = 0;; ++attempt)
        {
            const auto before = m_sequence.load(std::memory_order_acquire);
            if ((before & 1u) == 0)
            {
                // Acquire loads: the second look at the count cannot move before the words.
                for (std::size_t i = 0; i < kWords; ++i)
                    words[i] = m_words[i].load(std::memory_order_acquire);
                if (m_sequence.load(std::memory_order_relaxed) == before)
                    break;
            }
            // The writer is in the middle of a copy of a hundred bytes: it is done in a moment unless it
            // was preempted, when giving way lets it finish.
            if (attempt >= 16)
                std::this_thread::yield();
        }
        T value{};
        std::memcpy(&value, words, sizeof value);
        return value;
    }

    // Whether anything was published yet: until then read() answers a default value that nobody gave.
    bool hasValue() const noexcept { return m_sequence.load(std::memory_order_acquire) != 0; }

private:
    static constexpr std::size_t kWords = (sizeof(T) + 7) / 8;
    std::atomic<std::uint32_t> m_sequence{0};
    std::array<std::atomic<std::uint64_t>, kWords> m_words{};
};
