#include "device/Texts.h"

#include <gtest/gtest.h>

#include "platform/Text.h"

namespace {

// Each fixed Chinese text is the GBK encoding of its spelling. The title, the buttons and the
// font face are compared where the dialog shows them, the texts the module's exports hand to the
// host where the host receives them.
TEST(Texts, ChineseTextsAreGbkBytes) {
  const std::pair<const char*, const char*> cases[] = {
      {texts::kChooseTpyFile, "请选择tpy文件"}, {texts::kTagTreeNoMemory, "内存不足，无法导入标签文件"},
      {texts::kTagTreeTooLarge, "标签文件中的标签过多（超过2000万个节点），无法导入"},
      {texts::kTagTreeCyclic, "标签文件中的数据类型包含自身，无法导入"}, {texts::kFindNext, "查找下一个"},
      {texts::kKeepUnselected, "保留未选择标签（组态时可继续选择使用）"}, {texts::kColumnTagName, "标签名称"},
      {texts::kColumnDataType, "数据类型"}, {texts::kColumnComment, "标签注释"},
      {texts::kTooManyTags, "当前选择标签数大于10万个，请去除部分标签后再尝试！"},
  };
  for (const auto& [gbk, utf8] : cases)
    EXPECT_EQ(gbk, platform::WideToMultiByte(936, platform::Utf8ToWide(utf8))) << utf8;
}

}  // namespace
