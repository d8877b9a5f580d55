#pragma once

// A value handed from the thread that writes it (the audio thread, with the host's transport) to readers on
// any thread (a parameter change on a host or editor thread that asks for the tempo). The writer stores the
// value word by word between two steps of a sequence count, and a reader takes a copy only when the count
// was even and unchanged across it, so it never sees half of one value and half of the next. Whether there
// is a value at all is written inside the same count, so a reader learns it from the same look as the
// copy: asked separately, a publish between the two answers could pass an empty value off as given.
// publish, clear: [any thread] lock-free, no allocation; two writes never interleave (a publish that meets
// another write under way is dropped, a clear waits for it). read: [any thread] lock-free, no allocation;
// retries while a write is under way.

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <optional>
#include <thread>
#include <type_traits>

template <typename T>
class VkSequencedCopy
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_default_constructible_v<T>,
                  "the value is copied as plain words");

public:
    // Dropped while another write is under way: only a host that breaks its own threading rules gets
    // there, and its next publish brings a newer value anyway.
    void publish(const T& value) noexcept
    {
        std::uint64_t words[kWords] = {};
        std::memcpy(words, &value, sizeof value);
        std::uint32_t sequence = 0;
        if (!beginWrite(sequence))
            return;
        // Release stores: a reader that sees any new word also sees the odd count written before it.
        for (std::size_t i = 0; i < kWords; ++i)
            m_words[i].store(words[i], std::memory_order_release);
        m_held.store(true, std::memory_order_release);
        m_sequence.store(sequence + 2, std::memory_order_release);
    }

    // Withdraws the value: read() answers nothing until the next publish.
    void clear() noexcept
    {
        std::uint32_t sequence = 0;
        for (int attempt = 0; !beginWrite(sequence); ++attempt)
            if (attempt >= 16)
                std::this_thread::yield();
        m_held.store(false, std::memory_order_release);
        m_sequence.store(sequence + 2, std::memory_order_release);
    }

    // The value last published, or nothing when none was or it was withdrawn since.
    std::optional<T> read() const noexcept
    {
        std::uint64_t words[kWords] = {};
        bool held = false;
        for (int attempt = 0;; ++attempt)
        {
            const auto before = m_sequence.load(std::memory_order_acquire);
            if ((before & 1u) == 0)
            {
                // Acquire loads: the second look at the count cannot move before them.
                held = m_held.load(std::memory_order_acquire);
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
        if (!held)
            return std::nullopt;
        T value{};
        std::memcpy(&value, words, sizeof value);
        return value;
    }

private:
    // Makes the count odd, unless a write is under way. `sequence`: the even count before.
    bool beginWrite(std::uint32_t& sequence) noexcept
    {
        sequence = m_sequence.load(std::memory_order_relaxed);
        // Acquire: the stores of this write come after those of the write before, on whatever thread.
        return (sequence & 1u) == 0 &&
               m_sequence.compare_exchange_strong(sequence, sequence + 1, std::memory_order_acq_rel,
                                                  std::memory_order_relaxed);
    }

    static constexpr std::size_t kWords = (sizeof(T) + 7) / 8;
    std::atomic<std::uint32_t> m_sequence{0};
    std::atomic<bool> m_held{false};
    std::array<std::atomic<std::uint64_t>, kWords> m_words{};
};
