#include "device/Texts.h"

#include <gtest/gtest.h>

#include "platform/Text.h"

namespace {

// Each fixed Chinese text is the GBK encoding of its spelling. The texts that the module's
// exports hand to the host are compared there, as the host receives them.
TEST(Texts, ChineseTextsAreGbkBytes) {
  const struct {
    const char* gbk;
    const char* utf8;
  } cases[] = {
      {texts::kChooseTpyFile, "请选择tpy文件"},
      {texts::kOpenTagFileFailed, "打开标签文件失败"},
      {texts::kTagTreeTooLarge, "标签文件中的标签过多（超过2000万个节点），无法导入"},
      {texts::kTagTreeCyclic, "标签文件中的数据类型包含自身，无法导入"},
      {texts::kTagTreeNoMemory, "内存不足，无法导入标签文件"},
      {texts::kDialogTitle, "标签选择"},
      {texts::kFindNext, "查找下一个"},
      {texts::kKeepUnselected, "保留未选择标签（组态时可继续选择使用）"},
      {texts::kOk, "确定"},
      {texts::kCancel, "取消"},
      {texts::kColumnTagName, "标签名称"},
      {texts::kColumnDataType, "数据类型"},
      {texts::kColumnComment, "标签注释"},
      {texts::kFontFace, "宋体"},
      {texts::kTooManyTags, "当前选择标签数大于10万个，请去除部分标签后再尝试！"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.gbk, platform::WideToMultiByte(936, platform::Utf8ToWide(c.utf8))) << c.utf8;
}

}  // namespace
