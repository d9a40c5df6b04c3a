#include "app/core/CBJXListenerOwner.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace
{
struct Listener
{
    std::string name;
    std::string* log = nullptr;
    std::function<void()> onCall;

    void Called()
    {
        *log += name;
        if (onCall)
            onCall();
    }
};

template <typename Owner>
class ListenerOwners : public ::testing::Test
{
protected:
    Owner owner;
    std::string log;
    Listener a{"a", &log, {}}, b{"b", &log, {}}, c{"c", &log, {}}, d{"d", &log, {}};

    std::string Broadcast()
    {
        log.clear();
        owner.CallListeners([](Listener& l) { l.Called(); });
        return log;
    }
};
using OwnerKinds = ::testing::Types<CBJXListenerOwner<Listener>, CBfcListenerOwner<Listener>>;
TYPED_TEST_SUITE(ListenerOwners, OwnerKinds);
} // namespace

TYPED_TEST(ListenerOwners, RegistrationOrderDuplicatesAndRemoval)
{
    auto& o = this->owner;
    EXPECT_EQ(this->Broadcast(), "");
    o.AddListener(&this->a);
    o.AddListener(&this->b);
    o.AddListener(&this->a);
    EXPECT_EQ(this->Broadcast(), "aba");

    o.RemoveListener(&this->a); // only the first entry goes
    EXPECT_EQ(this->Broadcast(), "ba");

    o.RemoveListener(&this->c); // never added: nothing changes
    EXPECT_EQ(this->Broadcast(), "ba");
}

TYPED_TEST(ListenerOwners, ListenersChangeTheListDuringABroadcast)
{
    auto& o = this->owner;
    struct Case
    {
        const char* what;
        std::function<void(TypeParam&, Listener&, Listener&, Listener&, Listener&)> setUp;
        const char* during;
        const char* after;
    };
    const Case cases[] = {
        {"b removes itself",
         [](TypeParam& o, Listener&, Listener& b, Listener&, Listener&) { b.onCall = [&] { o.RemoveListener(&b); }; },
         "abc", "ac"},
        {"a removes the later c",
         [](TypeParam& o, Listener& a, Listener&, Listener& c, Listener&) { a.onCall = [&] { o.RemoveListener(&c); }; },
         "ab", "ab"},
        {"c removes the earlier a",
         [](TypeParam& o, Listener& a, Listener&, Listener& c, Listener&) { c.onCall = [&] { o.RemoveListener(&a); }; },
         "abc", "bc"},
        {"b removes every listener",
         [](TypeParam& o, Listener& a, Listener& b, Listener& c, Listener&) {
             b.onCall = [&] {
                 o.RemoveListener(&a);
                 o.RemoveListener(&b);
                 o.RemoveListener(&c);
             };
         },
         "ab", ""},
        {"a adds d, heard from the next broadcast",
         [](TypeParam& o, Listener& a, Listener&, Listener&, Listener& d) {
             a.onCall = [&] {
                 o.AddListener(&d);
                 a.onCall = nullptr;
             };
         },
         "abc", "abcd"},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.what);
        for (Listener* l : {&this->a, &this->b, &this->c, &this->d})
        {
            o.RemoveListener(l);
            o.RemoveListener(l);
            l->onCall = nullptr;
        }
        o.AddListener(&this->a);
        o.AddListener(&this->b);
        o.AddListener(&this->c);
        testCase.setUp(o, this->a, this->b, this->c, this->d);
        EXPECT_EQ(this->Broadcast(), testCase.during);
        for (Listener* l : {&this->a, &this->b, &this->c, &this->d})
            l->onCall = nullptr;
        EXPECT_EQ(this->Broadcast(), testCase.after);
    }
}
