#include "StreamFixture.h"

namespace streamfixture {

CLASSLIB_DEFINE_ENUM(TShade, "shLight", "shMedium", "shDark")

CLASSLIB_PUBLISH(TLook)
{
    c.Property("FaceName", &TLook::FaceName);
    c.Property("Size", &TLook::Size).SetDefault(8);
    c.Property("Styles", &TLook::Styles).SetDefault(0);
}

void TLook::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TLook*>(source)) {
        FaceName = other->FaceName;
        Size = other->Size;
        Styles = other->Styles;
        return;
    }
    TPersistent::Assign(source);
}

CLASSLIB_PUBLISH(TColumn)
{
    c.Property("Width", &TColumn::Width).SetDefault(64);
    c.Property("Title", &TColumn::Title);
}

void TColumn::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TColumn*>(source)) {
        Width = other->Width;
        Title = other->Title;
        return;
    }
    TCollectionItem::Assign(source);
}

CLASSLIB_PUBLISH(TThing)
{
    c.Property("Number", &TThing::Number).SetDefault(0);
    c.Property("Big", &TThing::Big);
    c.Property("Letter", &TThing::Letter).SetDefault('a');
    c.Property("Shade", &TThing::Shade).SetDefault(shMedium);
    c.Property("Shades", &TThing::Shades).SetDefault(0);
    c.Property("Ratio", &TThing::Ratio);
    c.Property("Small", &TThing::Small);
    c.Property("Caption", &TThing::Caption);
    c.Property("Wide", &TThing::Wide);
    c.Property("Flag", &TThing::Flag).SetDefault(false);
    c.Property("Look", &TThing::Look, &TThing::SetLook);
    c.Property("Lines", &TThing::Lines, &TThing::SetLines);
    c.Property("Columns", &TThing::Columns, &TThing::SetColumns);
    c.Property("Link", &TThing::Link, &TThing::SetLink);
    c.Property("OnClick", &TThing::OnClick);
}

CLASSLIB_PUBLISH(TBoard)
{
    c.Method("ThingClick", &TBoard::ThingClick);
    c.Method("OtherClick", &TBoard::OtherClick);
}

TThing::TThing(TComponent* owner)
    : TComponent(owner),
      look_(new TLook),
      lines_(new TStringList),
      columns_(new TOwnedCollection(this, TColumn::StaticClass()))
{
}

TThing::~TThing()
{
    delete look_;
    delete lines_;
    delete columns_;
}

void TThing::SetLink(TComponent* link)
{
    if (link_)
        link_->RemoveFreeNotification(this);
    link_ = link;
    if (link_)
        link_->FreeNotification(this);
}

void TThing::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == link_)
        link_ = nullptr;
}

void TThing::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    // Children are the root's components whose parent is this one (the root itself parents
    // the components without parent).
    TComponent* owner = root ? root : this;
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        auto* thing = dynamic_cast<TThing*>(owner->Components(i));
        if (thing && (thing->Parent == this || (!thing->Parent && this == root)))
            proc(thing);
    }
}

void TThing::DefineProperties(TFiler& filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data",
        [this](TStream& s) {
            Data.assign(static_cast<size_t>(s.Size()), '\0');
            s.ReadBuffer(Data.data(), s.Size());
        },
        [this](TStream& s) { s.WriteBuffer(Data.data(), static_cast<int64_t>(Data.size())); },
        !Data.empty());
}

void TThing::Loaded()
{
    TComponent::Loaded();
    if (LoadLog)
        LoadLog->push_back(Name());
    else if (auto* board = dynamic_cast<TThing*>(Owner()); board && board->LoadLog)
        board->LoadLog->push_back(Name());
}

void RegisterFixtureClasses()
{
    RegisterClasses({&TThing::StaticClass(), &TBoard::StaticClass()});
}

TBoard* MakeSampleBoard()
{
    auto* board = new TBoard(nullptr);
    board->SetName("Board1");
    board->Caption = "Main board";
    board->Number = 1;
    auto* first = new TThing(board);
    first->SetName("First");
    first->Number = -200;
    first->Big = 0x123456789LL;
    first->Letter = 'Z';
    first->Shade = shDark;
    first->Shades = TShades{shLight, shDark};
    first->Ratio = 1.5;
    first->Small = 0.25f;
    first->Caption = std::string("It's ") + "\x01" + "\xE9";
    first->Wide = L"wide \x263A";
    first->Flag = true;
    first->Look()->FaceName = "Arial";
    first->Look()->Size = 12;
    first->Look()->Styles = TShades{shMedium};
    first->Lines()->SetText("one\r\ntwo, three\r\n");
    auto* column = static_cast<TColumn*>(first->Columns()->Add());
    column->Width = 100000;
    column->Title = "Address";
    first->Columns()->Add(); // all defaults
    first->OnClick = TNotifyEvent(board, &TBoard::ThingClick);
    first->Data = std::string("\x00\x01\xFF", 3);
    auto* inner = new TThing(board);
    inner->SetName("Inner");
    inner->Parent = first;
    inner->Caption = std::string(300, 'x'); // a long string
    auto* second = new TThing(board);
    second->SetName("Second");
    second->Ratio = -1e-300;
    first->SetLink(second); // a reference forward in the stream
    second->SetLink(board);
    return board;
}

std::string SampleStream()
{
    TBoard* board = MakeSampleBoard();
    TStringStream out;
    WriteComponentToStream(out, board);
    board->Free();
    return out.DataString();
}

} // namespace streamfixture
