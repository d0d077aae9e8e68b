#pragma once
// The toolkit-neutral widget model: plain objects with the properties the
// control's handlers read and write. The desktop view renders them; the
// scenario runner and the tests read them directly. Colours are OLE colour
// numbers (255 red, 0x400000 dark blue, 0x80000005 the system window colour).

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "forms/form_design.h"

namespace zolin6::toolkit {

using OleColor = std::uint32_t;
inline constexpr OleColor kSystemWindowBackground = 0x80000005;  // system colour index 5
inline constexpr OleColor kLampOn = 255;                         // red
inline constexpr OleColor kLampOff = 0x400000;                   // dark blue

class Widget;
// Called after any property of a widget changed, so a view can repaint it.
using ChangeListener = std::function<void(const Widget&)>;

class Widget {
 public:
  Widget(const forms::ControlDesign& design, const ChangeListener* listener);
  virtual ~Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  forms::Kind kind() const { return design_.kind; }
  const forms::ControlDesign& design() const { return design_; }
  // "txtParameter(57)" for an array member, "cmdBack" otherwise.
  const std::string& id() const { return id_; }

 protected:
  void changed() const;

 private:
  forms::ControlDesign design_;
  std::string id_;
  const ChangeListener* listener_;
};

std::string ControlId(std::string_view name, int index);

class TextBox : public Widget {
 public:
  TextBox(const forms::ControlDesign& design, const ChangeListener* listener);
  const std::string& text() const { return text_; }
  void setText(std::string text);
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  bool enabled() const { return enabled_; }
  OleColor backColor() const { return backColor_; }
  void setBackColor(OleColor color);
  int top() const { return top_; }  // twips inside the container
  void setTop(int top);

 private:
  std::string text_;
  bool visible_;
  bool enabled_;
  OleColor backColor_ = kSystemWindowBackground;
  int top_;
};

class Label : public Widget {
 public:
  Label(const forms::ControlDesign& design, const ChangeListener* listener);
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  int top() const { return top_; }
  void setTop(int top);

 private:
  std::string caption_;
  bool visible_;
  int top_;
};

class ComboBox : public Widget {
 public:
  using Widget::Widget;
  const std::vector<std::string>& items() const { return items_; }
  void clear();
  void addItem(std::string item);
  const std::string& text() const { return text_; }
  // Any text is accepted, listed or not: the page loaders set texts directly.
  void setText(std::string text);
  OleColor backColor() const { return backColor_; }
  void setBackColor(OleColor color);

 private:
  std::vector<std::string> items_;
  std::string text_;
  OleColor backColor_ = kSystemWindowBackground;
};

// A handler the control attaches to a user event of a widget.
using EventHandler = std::function<void()>;

class CommandButton : public Widget {
 public:
  CommandButton(const forms::ControlDesign& design, const ChangeListener* listener);
  const std::string& caption() const { return caption_; }
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  void onClick(EventHandler handler) { click_ = std::move(handler); }
  // Runs the click handler whether or not the button is enabled; the window
  // only lets a person click an enabled one.
  void click() const {
    if (click_) click_();
  }

 private:
  std::string caption_;
  bool enabled_;
  EventHandler click_;
};

class OptionButton : public Widget {
 public:
  using Widget::Widget;
  bool value() const { return value_; }
  // Selecting one option clears the others of its group (see Form::select).
  void setValue(bool value);

 private:
  bool value_ = false;
};

// Frames and picture boxes.
class Frame : public Widget {
 public:
  Frame(const forms::ControlDesign& design, const ChangeListener* listener);
  bool visible() const { return visible_; }
  void setVisible(bool visible);

 private:
  bool visible_;
};

class Shape : public Widget {
 public:
  Shape(const forms::ControlDesign& design, const ChangeListener* listener);
  OleColor fillColor() const { return fill_; }
  OleColor borderColor() const { return border_; }
  OleColor backColor() const { return back_; }
  void setFillColor(OleColor c);
  void setBorderColor(OleColor c);
  void setBackColor(OleColor c);

 private:
  OleColor fill_;
  OleColor border_;
  OleColor back_;
};

class TabControl : public Widget {
 public:
  TabControl(const forms::ControlDesign& design, const ChangeListener* listener);
  const std::vector<std::string>& captions() const { return captions_; }
  // The current tab, zero-based.
  int tab() const { return tab_; }
  void setTab(int tab);
  // The tab control's click: its handler reads the current tab.
  void onClick(EventHandler handler) { click_ = std::move(handler); }
  void click() const {
    if (click_) click_();
  }

 private:
  std::vector<std::string> captions_;
  int tab_ = 0;
  EventHandler click_;
};

struct TreeNode {
  std::string text;
  std::string tag;
  std::string imageKey;
  int parent = 0;  // 1-based index of the parent node; 0 at the root
};

class TreeView : public Widget {
 public:
  using NodeClickHandler = std::function<void(const TreeNode&)>;
  using Widget::Widget;
  const std::vector<TreeNode>& nodes() const { return nodes_; }
  // Node indices are 1-based, in the order of insertion.
  const TreeNode& node(int index) const { return nodes_.at(static_cast<std::size_t>(index - 1)); }
  void addNode(TreeNode node);
  void onNodeClick(NodeClickHandler handler) { nodeClick_ = std::move(handler); }
  void clickNode(int index) const {
    if (nodeClick_) nodeClick_(node(index));
  }

 private:
  std::vector<TreeNode> nodes_;
  NodeClickHandler nodeClick_;
};

struct StatusPanel {
  std::string text;
  std::string picture;  // file name of the icon shown, empty for none
};

class StatusBar : public Widget {
 public:
  StatusBar(const forms::ControlDesign& design, const ChangeListener* listener);
  // Panels are numbered 1 to 4.
  const StatusPanel& panel(int number) const { return panels_.at(static_cast<std::size_t>(number - 1)); }
  void setText(int number, std::string text);
  void setPicture(int number, std::string picture);

 private:
  std::array<StatusPanel, 4> panels_;
};

}  // namespace zolin6::toolkit
