#pragma once
// A small component family with published properties of every kind the component streams
// carry, shared by the streaming tests, the outside check and the fuzz target.
#include "core/Collection.h"
#include "core/ComponentStream.h"
#include "core/StringList.h"

#include <string>
#include <vector>

namespace streamfixture {

using namespace classlib;

enum TShade { shLight, shMedium, shDark };
CLASSLIB_ENUM(TShade);
using TShades = TSet<TShade>;

// A nested persistent object (like a font).
class TLook : public TPersistent {
    CLASSLIB_CLASS(TLook, TPersistent)
    std::string FaceName = "Tahoma";
    int Size = 8;
    TShades Styles;
    void Assign(TPersistent* source) override;
};

class TColumn : public TCollectionItem {
    CLASSLIB_CLASS(TColumn, TCollectionItem)
    explicit TColumn(TCollection* collection) : TCollectionItem(collection) {}
    int Width = 64;
    std::string Title;
    void Assign(TPersistent* source) override;
};

// A component with one property of each kind; children are those whose Parent it is.
class TThing : public TComponent {
    CLASSLIB_CLASS(TThing, TComponent)
    explicit TThing(TComponent* owner);
    ~TThing() override;

    int Number = 0;
    long long Big = 0;
    char Letter = 'a';
    TShade Shade = shMedium;
    TShades Shades;
    double Ratio = 0;
    float Small = 0;
    std::string Caption;
    WideString Wide;
    bool Flag = false;
    TLook* Look() const { return look_; }
    void SetLook(TLook* look) { look_->Assign(look); }
    TStringList* Lines() const { return lines_; }
    void SetLines(TStringList* lines) { lines_->Assign(lines); }
    TOwnedCollection* Columns() const { return columns_; }
    void SetColumns(TOwnedCollection* columns) { columns_->Assign(columns); }
    TComponent* Link() const { return link_; }
    void SetLink(TComponent* link);
    TNotifyEvent OnClick;
    std::string Data; // stored as the binary defined property "Data"

    TThing* Parent = nullptr;
    std::vector<std::string>* LoadLog = nullptr;

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override { return Parent; }
    void SetParentComponent(TComponent* parent) override { Parent = dynamic_cast<TThing*>(parent); }
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    void DefineProperties(TFiler& filer) override;

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TLook* look_;
    TStringList* lines_;
    TOwnedCollection* columns_;
    TComponent* link_ = nullptr;
};

// The root: owns every component of the tree and publishes the event handlers.
class TBoard : public TThing {
    CLASSLIB_CLASS(TBoard, TThing)
    explicit TBoard(TComponent* owner) : TThing(owner) {}
    ~TBoard() override { DestroyComponents(); }
    void ThingClick(TObject* sender) { Clicked.push_back(sender); }
    void OtherClick(TObject*) {}
    std::vector<TObject*> Clicked;
};

// Registers the classes above (idempotent).
void RegisterFixtureClasses();

// A board with two levels of children and every property kind set.
TBoard* MakeSampleBoard();

// The sample board's stream.
std::string SampleStream();

} // namespace streamfixture
