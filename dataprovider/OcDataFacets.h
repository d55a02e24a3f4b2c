#pragma once
// What an item shows comes from aspect implementers created on it: text (plain, per context,
// read-only capable) and image indexes. Every aspect that changes a value reports it to the
// provider as pnrItemUpdated around the change, and only when the value differs. The aspects
// of lists (image lists, painters) need the platform's canvas and live in OcDataPainting.h.
#include "dataprovider/OcDataItems.h"

#include <utility>

namespace dataprovider {

class TOcBaseDataItemTextImpl : public TOcDataItemAggregatedObject, public IOcDataItemText {
    CLASSLIB_CLASS(TOcBaseDataItemTextImpl, TOcDataItemAggregatedObject)
    CLASSLIB_IINTERFACE_OF(TOcDataItemAggregatedObject)
    bool GetInterface(const TGUID& iid, void** obj) override;
};

class TOcDataItemTextImpl : public TOcBaseDataItemTextImpl {
    CLASSLIB_CLASS(TOcDataItemTextImpl, TOcBaseDataItemTextImpl)
    std::string ReadText() override { return text_; }
    // Case-sensitive: the same text again reports nothing.
    void WriteText(const std::string& value) override;
    bool CanEdit() override { return true; }

    std::string Text() const { return const_cast<TOcDataItemTextImpl*>(this)->ReadText(); }
    void SetText(const std::string& value) { WriteText(value); }

protected:
    // Stores the plain text with the change reported.
    void WritePlainText(const std::string& value);

private:
    std::string text_;
};

// One text per context on top of the plain text: a context without its own text reads that of
// the nearest ancestor context that has one. Only the plain text is streamed.
class TOcDataItemContextTextImpl : public TOcDataItemTextImpl, public IOcDataContextOverride {
    CLASSLIB_CLASS(TOcDataItemContextTextImpl, TOcDataItemTextImpl)
    CLASSLIB_IINTERFACE_OF(TOcDataItemTextImpl)
    bool GetInterface(const TGUID& iid, void** obj) override;

    std::string ReadText() override;
    void WriteText(const std::string& value) override;
    void DropOverride() override;
    bool HasNoOverride() override;
    // A context that goes away takes its text with it.
    void ForgetContext(IOcDataContext* context) override;

private:
    TInterfacePtr<IOcDataContext> CurrentContext() const;
    int IndexOfContext(IOcDataContext* context) const;
    // (the context's object, its text)
    std::vector<std::pair<TObject*, std::string>> contextTexts_;
};

class TOcDataItemBlockableTextImpl : public TOcDataItemTextImpl {
    CLASSLIB_CLASS(TOcDataItemBlockableTextImpl, TOcDataItemTextImpl)
    bool CanEdit() override { return !readOnly_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);

private:
    bool readOnly_ = false;
};

class TOcBaseDataItemImageImpl : public TOcDataItemAggregatedObject, public IOcDataItemGlyph {
    CLASSLIB_CLASS(TOcBaseDataItemImageImpl, TOcDataItemAggregatedObject)
    CLASSLIB_IINTERFACE_OF(TOcDataItemAggregatedObject)
    bool GetInterface(const TGUID& iid, void** obj) override;
};

class TOcDataItemImageImpl : public TOcBaseDataItemImageImpl {
    CLASSLIB_CLASS(TOcDataItemImageImpl, TOcBaseDataItemImageImpl)
    TOcGlyphAlignment Alignment() const override { return alignment_; }
    void SetAlignment(TOcGlyphAlignment value) override;
    int ImageIndex() const override { return imageIndex_; }
    void SetImageIndex(int value) override;
    int SelectedIndex() const override { return selectedIndex_; }
    void SetSelectedIndex(int value) override;

private:
    template <class T>
    void Update(T& field, T value);
    TOcGlyphAlignment alignment_ = gaLeftJustify;
    int imageIndex_ = 0;
    int selectedIndex_ = 0;
};

} // namespace dataprovider
