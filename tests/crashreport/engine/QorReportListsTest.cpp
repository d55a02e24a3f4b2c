// The report's field and attachment lists: ordering, the insertion index, trimming, case rules,
// owners' notifications and stored forms.
#include "QorReportLists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qor;

namespace {

std::vector<std::string> Names(TIQEFields& fields)
{
    std::vector<std::string> names;
    for (int32_t i = 0; i < fields.Count(); ++i)
        names.push_back(fields.ItemName(i));
    return names;
}

IQEFields WritableFields(std::initializer_list<const char*> names)
{
    IQEFields fields = CreateFields();
    fields->EnableWriting();
    for (const char* name : names)
        fields->Append(name, std::string("content of ") + name);
    return fields;
}

// Counts the batches and the changes an owning exception is told of.
class CountingException : public FieldsOwnerException {
public:
    void HoldChanges() override { ++depth; }
    void ReleaseChanges() override
    {
        if (--depth == 0 && dirty) {
            ++notifications;
            dirty = false;
        }
    }
    void MarkReportChanged() override { dirty = true; }
    int depth = 0;
    bool dirty = false;
    int notifications = 0;
};

} // namespace

TEST(ReportFields, ValuesAreTrimmedAndBlankContentRemovesTheItem)
{
    IQEFields fields = WritableFields({"Build"});
    fields->SetValue("Version", "  1.2\t\r\n");
    EXPECT_EQ(fields->Value("version"), "1.2");
    fields->SetValue("BUILD", "  ");
    EXPECT_EQ(Names(*fields), std::vector<std::string>{"Version"});
    EXPECT_EQ(fields->ItemName(-1), "");
    EXPECT_EQ(fields->ItemName(fields->Count()), "");
    EXPECT_EQ(fields->IndexOfName("nothing"), -1);
}

TEST(ReportFields, WritingIsIgnoredUntilEnabledButRemovingWorks)
{
    IQEFields fields = WritableFields({"A", "B"});
    IQEFields locked = CreateFields();
    locked->SetValue("A", "x");
    locked->InsertAt(0, "A", "x");
    EXPECT_EQ(locked->Count(), 0);
    // A copy has writing enabled; a list made without it keeps ignoring writes.
    IQEFields copy = fields->Duplicate();
    EXPECT_EQ(Names(*copy), Names(*fields));
    copy->SetValue("C", "c");
    EXPECT_EQ(copy->Count(), 3);
    EXPECT_EQ(fields->Count(), 2);
    fields->RemoveAt(0);
    EXPECT_EQ(Names(*fields), std::vector<std::string>{"B"});
}

TEST(ReportFields, NamesAddedInARowKeepTheirOrderAtTheInsertionIndex)
{
    IQEFields fields = WritableFields({"h0", "h1", "h2", "h3", "h4", "tail", "end"});
    fields->SetInsertIndex(5);
    fields->SetValue("x", "1");
    fields->SetValue("y", "2");
    fields->SetValue("z", "3");
    EXPECT_EQ(Names(*fields), (std::vector<std::string>{"h0", "h1", "h2", "h3", "h4", "x", "y", "z",
                                                        "tail", "end"}));
    // Removing an item before the insertion index moves the index with it.
    fields->RemoveName("h0");
    fields->SetValue("w", "4");
    EXPECT_EQ(fields->IndexOfName("w"), 7);
    EXPECT_EQ(fields->IndexOfName("tail"), 8);
}

TEST(ReportFields, InsertingAnExistingNameMovesIt)
{
    IQEFields fields = WritableFields({"A", "B", "C"});
    fields->InsertAt(2, "a", "moved");
    EXPECT_EQ(Names(*fields), (std::vector<std::string>{"B", "a", "C"}));
    EXPECT_EQ(fields->Value("A"), "moved");
    fields->InsertAt(99, "B", "last");
    EXPECT_EQ(Names(*fields), (std::vector<std::string>{"a", "C", "B"}));
}

TEST(ReportFields, OwnersHearOfEveryChangeOncePerAccess)
{
    IQEFields fields = WritableFields({"Build"});
    CountingException exception;
    std::vector<std::string> written;
    fields->AttachException(&exception);
    fields->AttachSettings([&](const std::string& form) { written.push_back(form); });
    // The same name and content: nothing changes.
    fields->SetValue("Build", "content of Build");
    EXPECT_EQ(exception.notifications, 0);
    EXPECT_TRUE(written.empty());
    // A different spelling of the name renames the item and is a change.
    fields->SetValue("BUILD", "content of Build");
    EXPECT_EQ(exception.notifications, 1);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written.back(), "BUILD=content of Build");
    // Several changes inside one access batch reach the exception once.
    fields->BeginAccess();
    fields->SetValue("A", "1");
    fields->SetValue("B", "2");
    fields->EndAccess();
    EXPECT_EQ(exception.notifications, 2);
    EXPECT_EQ(written.back(), "BUILD=content of Build|A=1|B=2");
    EXPECT_EQ(exception.depth, 0);
    fields->DetachException();
    fields->DetachSettings();
    fields->RemoveName("A");
    EXPECT_EQ(exception.notifications, 2);
    EXPECT_EQ(written.size(), 3u);
}

TEST(ReportAttachments, DefaultsStoredFormRemovalAndCopies)
{
    IQEAttachments attachments = CreateAttachments();
    std::string written;
    attachments->AttachSettings([&](const std::string& form) { written = form; });
    attachments->Append("", "ignored", "", "");
    attachments->Append("C:\\logs\\app.log", "", "", "");
    attachments->Append("C:\\data\\settings.ini", "config.txt", "extra.zip", "upload");
    std::string file, sendAs, zip, field;
    ASSERT_TRUE(attachments->ItemAt(0, file, sendAs, zip, field));
    EXPECT_EQ(sendAs, "app.log");
    EXPECT_EQ(zip, "");
    EXPECT_EQ(field, "app");
    EXPECT_EQ(written,
              "C:\\logs\\app.log>app.log>>app|C:\\data\\settings.ini>config.txt>extra.zip>upload");
    EXPECT_FALSE(attachments->ItemAt(2, file, sendAs, zip, field));
    // A copy holds all four values, each in its own place, and no owner.
    IQEAttachments copy = attachments->Duplicate();
    ASSERT_TRUE(copy->ItemAt(1, file, sendAs, zip, field));
    EXPECT_EQ(file, "C:\\data\\settings.ini");
    EXPECT_EQ(sendAs, "config.txt");
    EXPECT_EQ(zip, "extra.zip");
    EXPECT_EQ(field, "upload");
    copy->RemoveAll();
    EXPECT_EQ(attachments->Count(), 2);
    EXPECT_TRUE(attachments->RemoveFile("c:\\LOGS\\app.log"));
    EXPECT_FALSE(attachments->RemoveFile("c:\\LOGS\\app.log"));
    EXPECT_EQ(written, "C:\\data\\settings.ini>config.txt>extra.zip>upload");
    attachments->RemoveAll();
    EXPECT_EQ(written, "");
}
