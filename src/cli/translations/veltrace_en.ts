<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>batch</name>
    <message>
        <source>无法将最后一张驻波图放到剪贴板：剪贴板不可用或被其他程序占用</source>
        <translation>Cannot put the last plot on the clipboard: the clipboard is unavailable or held by another program</translation>
    </message>
    <message>
        <source>测试段</source>
        <translation>segment</translation>
    </message>
    <message>
        <source>驻波比</source>
        <translation>VSWR</translation>
    </message>
    <message>
        <source>馈线长（0.110dB/m）</source>
        <translation>feeder length (0.110dB/m)</translation>
    </message>
    <message>
        <source>馈线长（0.070dB/m）</source>
        <translation>feeder length (0.070dB/m)</translation>
    </message>
    <message>
        <source>测试时间</source>
        <translation>test time</translation>
    </message>
    <message>
        <source>馈线长</source>
        <translation>feeder length</translation>
    </message>
    <message>
        <source>为空</source>
        <translation> is empty</translation>
    </message>
    <message>
        <source>C列和D列（馈线长）都为空</source>
        <translation>columns C and D (feeder length) are both empty</translation>
    </message>
    <message>
        <source>不是数字</source>
        <translation> is not a number</translation>
    </message>
    <message>
        <source>超出数值范围</source>
        <translation> is out of range</translation>
    </message>
    <message>
        <source>小于1</source>
        <translation> is less than 1</translation>
    </message>
    <message>
        <source>不大于0</source>
        <translation> is not greater than 0</translation>
    </message>
    <message>
        <source>第%1行</source>
        <translation>row %1</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>，该行未生成驻波图</source>
        <translation>; the row gave no plot</translation>
    </message>
    <message>
        <source>%1为空，沿用上一行的 %2</source>
        <translation>%1 empty, took %2 from the row above</translation>
    </message>
    <message>
        <source>第%1行 </source>
        <translation>row %1: </translation>
    </message>
    <message>
        <source>未能读取工作簿，本次共生成0条驻波。原因见随后的错误报告。</source>
        <translation>The workbook could not be read; no plots were made. The cause follows in the error report.</translation>
    </message>
    <message>
        <source>批处理已中止：处理了 %1/%2 行，本次共生成%3条驻波。<byte value="xd"/>
原因：%4</source>
        <translation>Batch aborted after %1/%2 rows; %3 plots made.<byte value="xd"/>
Cause: %4</translation>
    </message>
    <message>
        <source>批处理已停止：处理了 %1/%2 行，本次共生成%3条驻波！</source>
        <translation>Batch stopped after %1/%2 rows; %3 plots made!</translation>
    </message>
    <message>
        <source>批处理已完成，但并非每一行都生成并写入了驻波图！本次共生成%1条驻波。</source>
        <translation>Batch finished, but not every row gave a plot that was written! %1 plots made.</translation>
    </message>
    <message>
        <source>已完成所有驻波图的生成！本次共生成%1条驻波！</source>
        <translation>All plots made! %1 plots made!</translation>
    </message>
    <message>
        <source>%1列（%2）</source>
        <translation>column %1 (%2)</translation>
    </message>
    <message>
        <source>第%1–%2行：空行，已跳过</source>
        <translation>rows %1–%2: empty, skipped</translation>
    </message>
    <message>
        <source>第%1行：空行，已跳过</source>
        <translation>row %1: empty, skipped</translation>
    </message>
    <message>
        <source>。</source>
        <translation>.</translation>
    </message>
    <message>
        <source>您的输入有错！请输入纯数字数据！<byte value="xd"/>
</source>
        <translation>Your input is wrong! Please enter numbers only!<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>读取%1行：生成%2条驻波</source>
        <translation>read %1 rows: %2 plots made</translation>
    </message>
    <message>
        <source>，%1行未生成</source>
        <translation>, %1 rows gave no plot</translation>
    </message>
    <message>
        <source>，跳过空行%1行</source>
        <translation>, %1 empty rows skipped</translation>
    </message>
    <message>
        <source>，%1行沿用了上一行的值</source>
        <translation>, %1 rows took values from the row above</translation>
    </message>
    <message>
        <source>；已写入文档%1条</source>
        <translation>; %1 written to the document</translation>
    </message>
    <message>
        <source>，尚未写入%1条</source>
        <translation>, %1 not written yet</translation>
    </message>
    <message>
        <source>（另有此前保存的%1条一并写入）</source>
        <translation> (with %1 saved before)</translation>
    </message>
    <message>
        <source>处理完成！</source>
        <translation>Done!</translation>
    </message>
    <message>
        <source>已中止：处理了%1/%2行</source>
        <translation>Aborted after %1/%2 rows</translation>
    </message>
    <message>
        <source>已停止：处理了%1/%2行</source>
        <translation>Stopped after %1/%2 rows</translation>
    </message>
    <message>
        <source><byte value="xd"/>
本次共生成%1条驻波！<byte value="xd"/>
</source>
        <translation><byte value="xd"/>
%1 plots made!<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>%1行未生成</source>
        <translation>%1 rows gave no plot</translation>
    </message>
    <message>
        <source>%1条未写入文档</source>
        <translation>%1 not written to the document</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>！</source>
        <translation>!</translation>
    </message>
    <message>
        <source>其中%1张放入占位符，</source>
        <translation>%1 into placeholders, </translation>
    </message>
    <message>
        <source>%1张放在书签“veltrace”之后，</source>
        <translation>%1 after the bookmark “veltrace”, </translation>
    </message>
    <message>
        <source>%1张追加到文末</source>
        <translation>%1 at the end</translation>
    </message>
    <message>
        <source>按模板填写了表格%1行、每段内容%2节、汇总值%3个</source>
        <translation>filled %1 table rows, %2 sections and %3 summary values of the template</translation>
    </message>
    <message>
        <source>，替换了%1张同一测试段已有的驻波图</source>
        <translation>, replaced %1 earlier plots of the same segments</translation>
    </message>
    <message>
        <source><byte value="xd"/>
驻波图保存位置：</source>
        <translation><byte value="xd"/>
Plots saved to: </translation>
    </message>
    <message>
        <source><byte value="xd"/>
未写入的原因：</source>
        <translation><byte value="xd"/>
Why they were not written: </translation>
    </message>
    <message>
        <source><byte value="xd"/>
各行的情况详见详细信息。</source>
        <translation><byte value="xd"/>
See the details for each row.</translation>
    </message>
    <message>
        <source>文档“%1”还有 %2 张驻波图尚未写入，不能改为保存到“%3”。</source>
        <translation>Document “%1” still has %2 plots waiting to be written; cannot switch to saving into “%3”.</translation>
    </message>
    <message>
        <source>尚未选择保存驻波图的文档</source>
        <translation>No document has been chosen to save the plots into</translation>
    </message>
    <message>
        <source>已有 %1 张驻波图等待写入文档“%2”而一直无法写入，不再接收新的驻波图。</source>
        <translation>%1 plots are waiting for document “%2” and cannot be written; no more plots are taken.</translation>
    </message>
    <message>
        <source>已新建文档“%1”。</source>
        <translation>Created document “%1”.</translation>
    </message>
    <message>
        <source>文档“%1”已不存在（可能被删除或移走），已重新新建该文档，其中只有此后保存的驻波图。</source>
        <translation>Document “%1” no longer existed (deleted or moved); it was created anew and holds only the plots saved since.</translation>
    </message>
    <message>
        <source>“%1”</source>
        <translation> “%1”</translation>
    </message>
</context>
<context>
    <name>common</name>
    <message>
        <source>%1…（共 %2 个字符）</source>
        <translation>%1… (%2 characters in all)</translation>
    </message>
    <message>
        <source>%1…等共 %2 个</source>
        <translation>%1… (%2 in all)</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>document</name>
    <message>
        <source>进程 %1，主机 %2</source>
        <translation>process %1 on host %2</translation>
    </message>
    <message>
        <source>部件 %1 %2</source>
        <translation>part %1 %2</translation>
    </message>
    <message>
        <source>缺少 %1，不是有效的 Office 文档</source>
        <translation>%1 is missing: not a valid Office document</translation>
    </message>
    <message>
        <source>启用宏的 Word 文档（.docm）</source>
        <translation>a macro-enabled Word document (.docm)</translation>
    </message>
    <message>
        <source>请在 Word 中把它另存为 .docx 文档后再选择</source>
        <translation>save it as a .docx document in Word and choose that</translation>
    </message>
    <message>
        <source>Word 模板（.dotx）</source>
        <translation>a Word template (.dotx)</translation>
    </message>
    <message>
        <source>请用这个模板新建一个文档，另存为 .docx 后再选择</source>
        <translation>make a new document from the template, save it as .docx and choose that</translation>
    </message>
    <message>
        <source>启用宏的 Word 模板（.dotm）</source>
        <translation>a macro-enabled Word template (.dotm)</translation>
    </message>
    <message>
        <source>文档“%1”是%2，不是普通的 Word 文档（.docx）；本程序只向 .docx 文档添加驻波图，%3。</source>
        <translation>Document “%1” is %2, not a plain Word document (.docx); this program adds plots to .docx documents only: %3.</translation>
    </message>
    <message>
        <source>文档“%1”正被其他办公程序打开（有 %2“%3”）；请先在该程序中关闭这个文档再保存。如果该程序已经退出，请删除这个文件。</source>
        <translation>Document “%1” is open in another office program (there is the %2 “%3”); close the document in that program before saving. If that program has ended, delete that file.</translation>
    </message>
    <message>
        <source>Word 所有者文件</source>
        <translation>Word owner file</translation>
    </message>
    <message>
        <source>LibreOffice 锁定文件</source>
        <translation>LibreOffice lock file</translation>
    </message>
    <message>
        <source>新文档“%1”的文件名必须以 .docx 结尾。</source>
        <translation>The name of the new document “%1” must end in .docx.</translation>
    </message>
    <message>
        <source>无法在文件夹“%1”中新建文档“%2”：该文件夹不允许写入。</source>
        <translation>Cannot create document “%2” in folder “%1”: the folder cannot be written to.</translation>
    </message>
    <message>
        <source>“%1”是一个文件夹，不是 Word 文档。</source>
        <translation>“%1” is a folder, not a Word document.</translation>
    </message>
    <message>
        <source>“%1”不是普通文件，不能作为 Word 文档。</source>
        <translation>“%1” is not a regular file and cannot be a Word document.</translation>
    </message>
    <message>
        <source>无法读取文档“%1”：没有读取权限。</source>
        <translation>Cannot read document “%1”: no permission to read it.</translation>
    </message>
    <message>
        <source>文档“%1”是只读文件，无法写入；请去掉它的只读属性，或另选一个文档。</source>
        <translation>Document “%1” is read-only and cannot be written; make it writable or choose another document.</translation>
    </message>
    <message>
        <source>无法保存文档“%1”：所在文件夹“%2”不允许写入（保存时要在其中创建临时文件）。</source>
        <translation>Cannot save document “%1”: its folder “%2” cannot be written to (saving makes a temporary file there).</translation>
    </message>
    <message>
        <source>无法保存文档“%1”：%2。</source>
        <translation>Cannot save document “%1”: %2.</translation>
    </message>
    <message>
        <source>文档“%1”所在的文件夹“%2”不存在。</source>
        <translation>The folder “%2” of document “%1” does not exist.</translation>
    </message>
    <message>
        <source>“%1”是一个循环的符号链接（它经过的链接最终又指回自己），找不到要写入的文件；请改正这个链接，或另选一个文档。</source>
        <translation>“%1” is a symbolic link loop (its links lead back to itself): there is no file to write; correct the link or choose another document.</translation>
    </message>
    <message>
        <source>主文档部件中没有正文（w:body）</source>
        <translation>the main document part has no body (w:body)</translation>
    </message>
    <message>
        <source>使用 Strict Open XML 格式，只支持普通的 .docx 格式</source>
        <translation>it uses the Strict Open XML format; only the usual .docx format is supported</translation>
    </message>
    <message>
        <source>主文档部件的根元素是 %1，不是 Word 正文</source>
        <translation>the root element of the main document part is %1, not a Word body</translation>
    </message>
    <message>
        <source>位于兼容性替代内容（mc:AlternateContent）中</source>
        <translation>inside alternate content (mc:AlternateContent)</translation>
    </message>
    <message>
        <source>位于修订中已删除的内容中</source>
        <translation>inside content deleted in a revision</translation>
    </message>
    <message>
        <source>所在的段落在修订中已被删除</source>
        <translation>its paragraph was deleted in a revision</translation>
    </message>
    <message>
        <source>跨越了多个段落或表格，只能标记一个段落</source>
        <translation>spans several paragraphs or tables; it may mark one paragraph only</translation>
    </message>
    <message>
        <source>标记的是表格中的列，不是一个段落</source>
        <translation>marks table columns, not a paragraph</translation>
    </message>
    <message>
        <source>位于文本框中</source>
        <translation>is inside a text box</translation>
    </message>
    <message>
        <source>所在的表格或内容控件声明了自己的 XML 命名空间</source>
        <translation>its table or content control declares XML namespaces of its own</translation>
    </message>
    <message>
        <source>后面没有可以标记的段落</source>
        <translation>has no paragraph after it to mark</translation>
    </message>
    <message>
        <source>文档的文本框中有 %1 个占位符（%2）：文本框中的占位符不会放入驻波图，保持原样。</source>
        <translation>The document has %1 placeholders in text boxes (%2): placeholders in text boxes get no plot and stay as they are.</translation>
    </message>
    <message>
        <source>文档中有 %1 个占位符在 Word 和 LibreOffice 不显示图片的地方（%2）：占位符保持原样。</source>
        <translation>The document has %1 placeholders where Word and LibreOffice show no pictures (%2): the placeholders stay as they are.</translation>
    </message>
    <message>
        <source>文档中有 %1 个段落含有占位符，但还有其他文字（%2）：占位符必须单独成段，这些段落保持原样。</source>
        <translation>The document has %1 paragraphs with a placeholder and other text (%2): a placeholder must be a paragraph of its own; these paragraphs stay as they are.</translation>
    </message>
    <message>
        <source>文档中有 %1 个占位符所在的段落还有其他内容（修订、超链接、域、图片等）（%2），不能替换，保持原样。</source>
        <translation>The document has %1 placeholders whose paragraphs hold other content (revisions, hyperlinks, fields, pictures...) (%2): they cannot be replaced and stay as they are.</translation>
    </message>
    <message>
        <source>文档中有 %1 个测试段的占位符不止一个（%2）：只有第一个放入这个测试段的驻波图，其余的保持原样（这个测试段再次保存时才会用到）。</source>
        <translation>The document has more than one placeholder for %1 segments (%2): the first gets the segment&apos;s plot, the others stay as they are (until the segment is saved again).</translation>
    </message>
    <message>
        <source>文档的页眉或页脚中有占位符：驻波图只放到正文中的占位符处，页眉和页脚中的占位符保持原样。</source>
        <translation>The document has placeholders in headers or footers: plots go only into placeholders in the body; those in headers and footers stay as they are.</translation>
    </message>
    <message>
        <source>文档中有多个名为“veltrace”的书签：只使用第一个。</source>
        <translation>The document has more than one bookmark named “veltrace”: only the first is used.</translation>
    </message>
    <message>
        <source>文档中的书签“veltrace”%2：不按书签放置驻波图，改为放到占位符处或文档末尾。</source>
        <translation>The document&apos;s bookmark “veltrace” %2: plots are not placed at the bookmark but into placeholders or at the end of the document.</translation>
    </message>
    <message>
        <source>文档的 %1 个部件没有读取（%2；无法读取，或样式、编号、页眉、页脚、脚注和尾注合计超过限度）：其中的占位符、图片编号和段落格式没有核对。</source>
        <translation>%1 parts of the document were not read (%2; unreadable, or styles, numbering, headers, footers, footnotes and endnotes together beyond the limit): their placeholders, picture numbers and paragraph formats were not checked.</translation>
    </message>
    <message>
        <source>文档中为 %1 个测试段留的占位符没有用上（%2）：本次处理的数据中没有这些测试段，占位符保持原样。</source>
        <translation>The placeholders the document keeps for %1 segments were not used (%2): the data processed has no such segments; the placeholders stay as they are.</translation>
    </message>
    <message>
        <source>文档中还有 %1 个不指定测试段的占位符没有用上，保持原样。</source>
        <translation>The document has %1 more placeholders without a segment that were not used; they stay as they are.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>等</source>
        <translation> and more</translation>
    </message>
    <message>
        <source>包含 %1 个条目，超过上限 %2 个，拒绝处理</source>
        <translation>it has %1 entries, more than the limit of %2: refused</translation>
    </message>
    <message>
        <source>缺少部件 %1</source>
        <translation>part %1 is missing</translation>
    </message>
    <message>
        <source>部件 %1 解压后超过 %2 MiB，拒绝处理</source>
        <translation>part %1 is larger than %2 MiB uncompressed: refused</translation>
    </message>
    <message>
        <source>无法读取部件 %1：%2</source>
        <translation>cannot read part %1: %2</translation>
    </message>
    <message>
        <source>部件 %1 含有文档类型声明（DOCTYPE），出于安全原因拒绝处理</source>
        <translation>part %1 holds a document type declaration (DOCTYPE): refused for safety</translation>
    </message>
    <message>
        <source>位于修订中已删除的表格行中</source>
        <translation>in a table row deleted in a revision</translation>
    </message>
    <message>
        <source>位于隐藏的表格行中</source>
        <translation>in a hidden table row</translation>
    </message>
    <message>
        <source>位于合并单元格中被合并的部分</source>
        <translation>in the merged-away part of a merged cell</translation>
    </message>
    <message>
        <source>%1，%2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>不是格式正确的 XML（第 %1 行第 %2 列：%3）</source>
        <translation>is not well-formed XML (line %1, column %2: %3)</translation>
    </message>
    <message>
        <source>含有文档类型声明（DOCTYPE），出于安全原因拒绝处理</source>
        <translation>holds a document type declaration (DOCTYPE): refused for safety</translation>
    </message>
    <message>
        <source>使用 %1 编码，只支持 UTF-8</source>
        <translation>uses the %1 encoding; only UTF-8 is supported</translation>
    </message>
    <message>
        <source>无法定位元素 %1</source>
        <translation>cannot locate element %1</translation>
    </message>
    <message>
        <source>无法定位元素 %1 的结束标记</source>
        <translation>cannot locate the end tag of element %1</translation>
    </message>
    <message>
        <source>使用 UTF-16 编码，只支持 UTF-8</source>
        <translation>uses the UTF-16 encoding; only UTF-8 is supported</translation>
    </message>
    <message>
        <source>含有不是 UTF-8 编码的字节</source>
        <translation>holds bytes that are not UTF-8</translation>
    </message>
    <message>
        <source>文档“%1”在写入时被其他程序新建。</source>
        <translation>Document “%1” was created by another program while being written.</translation>
    </message>
    <message>
        <source>无法让新文件保留文档的所有者（%1）</source>
        <translation>the new file cannot keep the document&apos;s owner (%1)</translation>
    </message>
    <message>
        <source>无法让新文件保留文档的权限</source>
        <translation>the new file cannot keep the document&apos;s permissions</translation>
    </message>
    <message>
        <source>它所在的文件夹“%1”设有粘滞位（如 /tmp），只有文件的所有者才能替换其中的文件，而文档属于用户“%2”，本程序以用户“%3”运行；请把文档复制到自己的文件夹中，再选择这个副本</source>
        <translation>its folder “%1” has the sticky bit (like /tmp): only a file&apos;s owner may replace it there, and the document belongs to user “%2” while this program runs as user “%3”; copy the document into a folder of your own and choose the copy</translation>
    </message>
    <message>
        <source>文档属于用户“%1”，本程序以用户“%2”运行，保存时替换文档会让它的所有者变成“%2”（只有 root 能保留所有者）；请由“%1”保存，或把文档复制一份，再选择这个副本</source>
        <translation>the document belongs to user “%1” and this program runs as user “%2”: replacing it when saving would make “%2” its owner (only root can keep the owner); save as “%1”, or copy the document and choose the copy</translation>
    </message>
    <message>
        <source>文档属于用户组“%1”，而用户“%2”不在这个组中，保存时替换文档会让它失去这个用户组；请把文档的用户组改为自己所在的组，或把文档复制一份，再选择这个副本</source>
        <translation>the document belongs to group “%1”, which user “%2” is not in: replacing it when saving would lose the group; give the document a group of your own, or copy the document and choose the copy</translation>
    </message>
    <message>
        <source>无法读取文档“%1”：%2。</source>
        <translation>Cannot read document “%1”: %2.</translation>
    </message>
    <message>
        <source>文档“%1”是旧版 Word 97-2003 格式（.doc）或设有打开密码的文档，不是 .docx 文档；请在 Word 或 LibreOffice 中把它另存为 .docx（不设密码）后再选择。</source>
        <translation>Document “%1” is in the old Word 97-2003 format (.doc) or has an opening password: it is no .docx document; save it as .docx (without a password) in Word or LibreOffice and choose that.</translation>
    </message>
    <message>
        <source>文档“%1”不是 .docx 文档：文件内容不是 ZIP 压缩包（可能是文本文件或其他格式的文件）。</source>
        <translation>Document “%1” is not a .docx document: its content is not a ZIP package (perhaps a text file or a file of another format).</translation>
    </message>
    <message>
        <source>文档“%1”已损坏，无法作为 .docx 打开：%2。</source>
        <translation>Document “%1” is damaged and cannot be opened as .docx: %2.</translation>
    </message>
    <message>
        <source>文档“%1”不是 Word 文档：压缩包中没有 Word 主文档部件（%2）。</source>
        <translation>Document “%1” is not a Word document: the package has no Word main document part (%2).</translation>
    </message>
    <message>
        <source>文档“%1”无法使用：%2。</source>
        <translation>Document “%1” cannot be used: %2.</translation>
    </message>
    <message>
        <source>无法把驻波图编码为 PNG 图片，不能写入文档“%1”。</source>
        <translation>The plot cannot be encoded as a PNG picture; it cannot be written to document “%1”.</translation>
    </message>
    <message>
        <source>文档“%1”正由本程序的另一个窗口或命令行写入%2，等待 %3 秒后仍未轮到。</source>
        <translation>Document “%1” is being written by another window or command line of this program%2; its turn did not come within %3 seconds.</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>无法写入文档“%1”：本程序写入时要用“%2”作锁定文件，但这个名字已被别的东西（文件夹、链接或其他文件）占用；请删除它或改名后再保存。</source>
        <translation>Cannot write document “%1”: this program locks it with the file “%2”, but that name is taken by something else (a folder, a link or another file); delete or rename it and save again.</translation>
    </message>
    <message>
        <source>无法写入文档“%1”：所在文件夹不允许创建锁定文件“%2”（没有写入权限或是只读的文件系统）。</source>
        <translation>Cannot write document “%1”: its folder does not allow the lock file “%2” to be made (no permission to write, or a read-only file system).</translation>
    </message>
    <message>
        <source>写不进锁定文件“%1”</source>
        <translation>cannot write the lock file “%1”</translation>
    </message>
    <message>
        <source>无法新建文档</source>
        <translation>Cannot create document</translation>
    </message>
    <message>
        <source>无法写入文档</source>
        <translation>Cannot write document</translation>
    </message>
    <message>
        <source>%1“%2”：磁盘空间不足（文件夹“%3”所在的磁盘只剩 %4 KB 可用空间）。请腾出磁盘空间后再保存。</source>
        <translation>%1 “%2”: the disk is full (the disk of folder “%3” has only %4 KB free). Free some disk space and save again.</translation>
    </message>
    <message>
        <source>%1“%2”：%3。</source>
        <translation>%1 “%2”: %3.</translation>
    </message>
    <message>
        <source>文档“%1”已达到本程序能处理的大小上限（%2 个部件，正文不超过 %3 MiB），不能再添加驻波图；请改用一个新文档保存其余的驻波图。</source>
        <translation>Document “%1” has reached the largest size this program handles (%2 parts, a body of at most %3 MiB) and takes no more plots; save the remaining plots into a new document.</translation>
    </message>
    <message>
        <source>无法写入文档“%1”：文档正被其他程序反复修改。</source>
        <translation>Cannot write document “%1”: another program keeps changing it.</translation>
    </message>
    <message>
        <source>文档 %1，设置 %2</source>
        <translation>document %1, setting %2</translation>
    </message>
    <message>
        <source>文档中有 %1 个每段重复的标记不能配对使用（%2）：这些标记和它们之间的内容保持原样。</source>
        <translation>The document has %1 markers of a part repeated per segment that do not pair (%2): the markers and what lies between them are left as they are.</translation>
    </message>
    <message>
        <source>文档中写明的驻波比上限与设置的不同（%2）：按文档中的上限判定结论。</source>
        <translation>The VSWR limit written in the document differs from the one set (%2): verdicts follow the document&apos;s limit.</translation>
    </message>
    <message>
        <source>与其他文字同在一段</source>
        <translation>shares its paragraph with other text</translation>
    </message>
    <message>
        <source>所在段落带有分节符</source>
        <translation>its paragraph ends a section</translation>
    </message>
    <message>
        <source>两个标记之间没有内容</source>
        <translation>nothing between the two markers</translation>
    </message>
    <message>
        <source>单元格中的结束标记前不是段落</source>
        <translation>what precedes the end marker in the cell is not a paragraph</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>前面没有对应的开始标记</source>
        <translation>no start marker before it</translation>
    </message>
    <message>
        <source>后面没有对应的结束标记</source>
        <translation>no end marker after it</translation>
    </message>
    <message>
        <source>标记相互嵌套</source>
        <translation>markers nested in each other</translation>
    </message>
    <message>
        <source>开始和结束标记不在同一处（正文或同一单元格）</source>
        <translation>start and end marker not in the same place (the body or one cell)</translation>
    </message>
    <message>
        <source>部件 %1 被当作不同的部件重复引用，文件已损坏或被篡改</source>
        <translation>part %1 is referred to as different parts; the file is damaged or was tampered with</translation>
    </message>
    <message>
        <source>部件 %1 在根元素之前有超过 %2 KiB 的内容，出于安全原因拒绝处理</source>
        <translation>part %1 has more than %2 KiB before its root element; refused for safety</translation>
    </message>
    <message>
        <source>文件可能已损坏</source>
        <translation>the file may be damaged</translation>
    </message>
    <message>
        <source>根元素是 %1，不是%2</source>
        <translation>its root element is %1, not%2</translation>
    </message>
    <message>
        <source>关系列表</source>
        <translation> a relationships list</translation>
    </message>
    <message>
        <source>内容类型列表</source>
        <translation> a content types list</translation>
    </message>
</context>
<context>
    <name>trace</name>
    <message>
        <source>测试段</source>
        <translation>segment</translation>
    </message>
    <message>
        <source>馈线长</source>
        <translation>feeder length</translation>
    </message>
    <message>
        <source>驻波比</source>
        <translation>VSWR</translation>
    </message>
    <message>
        <source>测试距离</source>
        <translation>test distance</translation>
    </message>
    <message>
        <source>站点</source>
        <translation>site</translation>
    </message>
    <message>
        <source>第 %1 个参数</source>
        <translation>field %1</translation>
    </message>
    <message>
        <source>（共 %1 个字符）</source>
        <translation> (%1 characters in all)</translation>
    </message>
    <message>
        <source>%1“%2”超出数值范围</source>
        <translation>%1 “%2” is out of range</translation>
    </message>
    <message>
        <source>%1“%2”不是数字</source>
        <translation>%1 “%2” is not a number</translation>
    </message>
    <message>
        <source>您的输入有错！请输入纯数字数据！</source>
        <translation>Your input is wrong! Please enter numbers only!</translation>
    </message>
    <message>
        <source>驻波比“%1”小于1！驻波比不能小于1，请重新输入！</source>
        <translation>VSWR “%1” is less than 1! A VSWR cannot be less than 1; please enter it again!</translation>
    </message>
    <message>
        <source>%1“%2”不大于0！%1必须大于0，请重新输入！</source>
        <translation>%1 “%2” is not greater than 0! The %1 must be greater than 0; please enter it again!</translation>
    </message>
    <message>
        <source>溢出：%1“%2”太大，无法标注刻度</source>
        <translation>Overflow: %1 “%2” is too large to label the scale</translation>
    </message>
    <message>
        <source>类型不匹配：</source>
        <translation>Type mismatch: </translation>
    </message>
    <message>
        <source>除数为零：%1为 0</source>
        <translation>Division by zero: the %1 is 0</translation>
    </message>
    <message>
        <source>溢出：</source>
        <translation>Overflow: </translation>
    </message>
    <message>
        <source>超出数值范围</source>
        <translation> is out of range</translation>
    </message>
    <message>
        <source>主瓣位置</source>
        <translation>the main lobe position</translation>
    </message>
    <message>
        <source>主瓣</source>
        <translation>the main lobe</translation>
    </message>
    <message>
        <source>主瓣左脚位置</source>
        <translation>the left foot of the main lobe</translation>
    </message>
    <message>
        <source>主瓣右脚位置</source>
        <translation>the right foot of the main lobe</translation>
    </message>
    <message>
        <source>左侧波纹段数</source>
        <translation>the number of left ripples</translation>
    </message>
    <message>
        <source>右侧波纹段数</source>
        <translation>the number of right ripples</translation>
    </message>
    <message>
        <source>左侧波纹宽度</source>
        <translation>the width of the left ripples</translation>
    </message>
    <message>
        <source>右侧波纹宽度</source>
        <translation>the width of the right ripples</translation>
    </message>
    <message>
        <source>左侧波纹</source>
        <translation>the left ripple</translation>
    </message>
    <message>
        <source>右侧波纹</source>
        <translation>the right ripple</translation>
    </message>
    <message>
        <source>除数为零：波纹段数为 0</source>
        <translation>Division by zero: the number of ripples is 0</translation>
    </message>
    <message>
        <source>轴标题位置</source>
        <translation>the axis title position</translation>
    </message>
</context>
<context>
    <name>workbook</name>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>这是一个文件夹，不是工作簿文件</source>
        <translation>it is a folder, not a workbook file</translation>
    </message>
    <message>
        <source>这不是普通文件（可能是管道或设备），不能作为工作簿读取</source>
        <translation>it is not a regular file (perhaps a pipe or a device) and cannot be read as a workbook</translation>
    </message>
    <message>
        <source>无法打开文件（%1）</source>
        <translation>cannot open the file (%1)</translation>
    </message>
    <message>
        <source>文件是空的（0 字节），不是 Excel 工作簿</source>
        <translation>the file is empty (0 bytes), not an Excel workbook</translation>
    </message>
    <message>
        <source>这是 Excel 2.x–4.x 的旧版单表文件，其中没有名为“%1”的工作表；请在 Excel 中另存为 .xls 或 .xlsx 后再导入</source>
        <translation>it is an old single-sheet file of Excel 2.x–4.x without a sheet named “%1”; save it as .xls or .xlsx in Excel and import that</translation>
    </message>
    <message>
        <source>文件内容是文本（例如 CSV 或网页），不是 Excel 工作簿；请在 Excel 中另存为 .xls 或 .xlsx 后再导入</source>
        <translation>the file holds text (such as CSV or a web page), not an Excel workbook; save it as .xls or .xlsx in Excel and import that</translation>
    </message>
    <message>
        <source>文件内容既不是 .xls 也不是 .xlsx 工作簿，可能已损坏或只是改了扩展名</source>
        <translation>the file is neither an .xls nor an .xlsx workbook; it may be damaged or just renamed</translation>
    </message>
    <message>
        <source>无法读取工作簿“%1”：%2。</source>
        <translation>Cannot read workbook “%1”: %2.</translation>
    </message>
    <message>
        <source>没有名为“%1”的工作表（工作簿中没有任何工作表）</source>
        <translation>there is no sheet named “%1” (the workbook has no sheets)</translation>
    </message>
    <message>
        <source>没有名为“%1”的工作表（工作簿中的工作表：%2）</source>
        <translation>there is no sheet named “%1” (the workbook&apos;s sheets: %2)</translation>
    </message>
    <message>
        <source>复合文档结构已损坏（%1），文件可能被截断或被篡改</source>
        <translation>the compound document structure is damaged (%1); the file may be truncated or tampered with</translation>
    </message>
    <message>
        <source>文件头不完整</source>
        <translation>incomplete header</translation>
    </message>
    <message>
        <source>文件头无效</source>
        <translation>invalid header</translation>
    </message>
    <message>
        <source>分配表大小无效</source>
        <translation>invalid allocation table size</translation>
    </message>
    <message>
        <source>分配表索引无效</source>
        <translation>invalid allocation table index</translation>
    </message>
    <message>
        <source>分配表位置无效</source>
        <translation>invalid allocation table position</translation>
    </message>
    <message>
        <source>工作簿流的扇区链与其长度不符</source>
        <translation>the sector chain of the workbook stream does not match its length</translation>
    </message>
    <message>
        <source>工作簿流超出了小流的范围</source>
        <translation>the workbook stream goes beyond the mini stream</translation>
    </message>
    <message>
        <source>目录项无效</source>
        <translation>invalid directory entry</translation>
    </message>
    <message>
        <source>“%1”的长度超出了文件本身</source>
        <translation>the length of “%1” goes beyond the file itself</translation>
    </message>
    <message>
        <source>“%1”的扇区链无效</source>
        <translation>invalid sector chain of “%1”</translation>
    </message>
    <message>
        <source>目录位置无效</source>
        <translation>invalid directory position</translation>
    </message>
    <message>
        <source>工作簿流的位置或长度前后不一</source>
        <translation>inconsistent position or length of the workbook stream</translation>
    </message>
    <message>
        <source>工作簿设置了打开密码（已加密），无法读取；请先在 Excel 中取消密码并另存后再导入</source>
        <translation>the workbook has an opening password (it is encrypted) and cannot be read; remove the password in Excel, save it and import that</translation>
    </message>
    <message>
        <source>无法打开文件</source>
        <translation>cannot open the file</translation>
    </message>
    <message>
        <source>内存不足，无法读取工作簿</source>
        <translation>not enough memory to read the workbook</translation>
    </message>
    <message>
        <source>复合文档结构已损坏（FreeXL 错误 %1），文件可能被截断</source>
        <translation>the compound document structure is damaged (FreeXL error %1); the file may be truncated</translation>
    </message>
    <message>
        <source>工作簿数据已损坏（FreeXL 错误 %1）</source>
        <translation>the workbook data is damaged (FreeXL error %1)</translation>
    </message>
    <message>
        <source>工作簿的文字编码无法识别（FreeXL 错误 %1）</source>
        <translation>the text encoding of the workbook is unknown (FreeXL error %1)</translation>
    </message>
    <message>
        <source>文件结构异常，可能已损坏或被篡改，拒绝读取</source>
        <translation>the file structure is abnormal, perhaps damaged or tampered with: refused</translation>
    </message>
    <message>
        <source>无法读取工作簿（FreeXL 错误 %1），文件可能已损坏</source>
        <translation>cannot read the workbook (FreeXL error %1); the file may be damaged</translation>
    </message>
    <message>
        <source>这是 Word 文档，不是 Excel 工作簿；请选择 .xls 或 .xlsx 工作簿</source>
        <translation>it is a Word document, not an Excel workbook; choose an .xls or .xlsx workbook</translation>
    </message>
    <message>
        <source>这是一个复合文档文件，但其中没有 Excel 工作簿（可能是其他 Office 文件，或只是改了扩展名）</source>
        <translation>it is a compound document file without an Excel workbook in it (perhaps another Office file, or just renamed)</translation>
    </message>
    <message>
        <source>文件大小 %1 MiB 超过 .xls 工作簿的合理上限 %2 MiB，拒绝读取</source>
        <translation>the file size of %1 MiB exceeds the reasonable limit of %2 MiB for an .xls workbook: refused</translation>
    </message>
    <message>
        <source>工作簿数据已损坏或结构异常，无法解析</source>
        <translation>the workbook data is damaged or abnormal and cannot be parsed</translation>
    </message>
    <message>
        <source>工作簿中位于 %1 的记录（类型 0x%2）长度与内容不符，文件已损坏或被篡改</source>
        <translation>the record at %1 of the workbook (type 0x%2) does not match its length; the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>工作簿中位于 %1 的结束标记之后还有数据，文件已损坏或被篡改</source>
        <translation>the workbook has data after its end mark at %1; the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>工作簿中位于 %1 的记录（类型 0x%2）超出了工作簿流的末尾，文件可能被截断或被篡改</source>
        <translation>the record at %1 of the workbook (type 0x%2) goes beyond the end of the workbook stream; the file may be truncated or tampered with</translation>
    </message>
    <message>
        <source>工作簿中位于 %1 的记录（类型 0x%2）长 %3 字节，超过格式上限 %4 字节，文件已损坏或被篡改</source>
        <translation>the record at %1 of the workbook (type 0x%2) is %3 bytes long, more than the format&apos;s limit of %4 bytes; the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>工作簿的单元格格式超过 %1 个，超出 .xls 格式的上限，文件已损坏或被篡改</source>
        <translation>the workbook has more than %1 cell formats, beyond the limit of the .xls format; the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>工作簿中位于 %1 的工作表不在工作表列表中，文件已损坏或被篡改</source>
        <translation>the sheet at %1 of the workbook is not in its list of sheets; the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>工作簿的全局部分中位于 %1 处有单元格记录，文件已损坏或被篡改</source>
        <translation>the global part of the workbook has a cell record at %1; the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>工作表中位于 %1 的单元格出现在尺寸记录之前，文件已损坏或被篡改</source>
        <translation>the cell at %1 of a sheet comes before its dimension record; the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>工作表中的单元格（第 %1 行第 %2 列）超出了工作表声明的尺寸（%3 行 × %4 列），文件已损坏或被篡改</source>
        <translation>a cell of a sheet (row %1, column %2) lies beyond the dimensions the sheet declares (%3 rows × %4 columns); the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>工作表中的单元格（第 %1 行第 %2 列）有不止一个记录（位于 %3），文件已损坏或被篡改</source>
        <translation>a cell of a sheet (row %1, column %2) has more than one record (at %3); the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>工作簿中的一个工作表有多个尺寸记录（位于 %1），文件已损坏或被篡改</source>
        <translation>a sheet of the workbook has more than one dimension record (at %1); the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>各工作表声明的尺寸合计超过 %1 个单元格，超出可读取的上限，文件可能已损坏或被篡改</source>
        <translation>the sheets declare more than %1 cells in all, beyond what can be read; the file may be damaged or tampered with</translation>
    </message>
    <message>
        <source>工作簿的共享字符串表无法安全读取（位于 %1 的记录：%2）；请在 Excel 中另存为 .xlsx 后再导入</source>
        <translation>the shared string table of the workbook cannot be read safely (the record at %1: %2); save it as .xlsx in Excel and import that</translation>
    </message>
    <message>
        <source>工作簿中有 %1 个工作表缺少尺寸记录（或其位置无效），文件已损坏或不完整；请在 Excel 中另存后再导入</source>
        <translation>%1 sheets of the workbook have no dimension record (or an invalid position); the file is damaged or incomplete; save it again in Excel and import that</translation>
    </message>
    <message>
        <source>工作表声明的尺寸（%1 行 × %2 列）超出 .xls 格式的上限（%3 行 × %4 列），文件已损坏</source>
        <translation>the dimensions a sheet declares (%1 rows × %2 columns) exceed the limit of the .xls format (%3 rows × %4 columns); the file is damaged</translation>
    </message>
    <message>
        <source>记录太短</source>
        <translation>the record is too short</translation>
    </message>
    <message>
        <source>声明的 %1 个字符串超出了表的长度，文件已损坏</source>
        <translation>the %1 strings declared exceed the length of the table; the file is damaged</translation>
    </message>
    <message>
        <source>续接记录是空的，文件已损坏</source>
        <translation>a continuation record is empty; the file is damaged</translation>
    </message>
    <message>
        <source>有一段超长的文字跨越了不止一个续接记录</source>
        <translation>a very long text spans more than one continuation record</translation>
    </message>
    <message>
        <source>文字的格式信息跨越了记录边界</source>
        <translation>the formatting of a text crosses a record boundary</translation>
    </message>
    <message>
        <source>字符串的开头被记录边界截断，文件已损坏</source>
        <translation>the start of a string is cut by a record boundary; the file is damaged</translation>
    </message>
    <message>
        <source>字符串带有拼音等扩展信息</source>
        <translation>a string carries extended information such as phonetics</translation>
    </message>
    <message>
        <source>zip 包含 %1 个条目，超过上限 %2 个，拒绝读取</source>
        <translation>the zip has %1 entries, more than the limit of %2: refused</translation>
    </message>
    <message>
        <source>缺少部件“%1”，文件不完整或不是 Excel 工作簿</source>
        <translation>part “%1” is missing; the file is incomplete or not an Excel workbook</translation>
    </message>
    <message>
        <source>部件“%1”在工作簿中被当作不同的部件重复引用，文件已损坏或被篡改</source>
        <translation>part “%1” is referred to as different parts of the workbook; the file is damaged or tampered with</translation>
    </message>
    <message>
        <source>无法读取部件“%1”的信息，文件可能已损坏</source>
        <translation>cannot read the information of part “%1”; the file may be damaged</translation>
    </message>
    <message>
        <source>工作簿设置了密码保护（部件“%1”已加密），请先在 Excel 中取消密码后再导入</source>
        <translation>the workbook is protected by a password (part “%1” is encrypted); remove the password in Excel and import that</translation>
    </message>
    <message>
        <source>工作簿设置了密码保护，请先在 Excel 中取消密码后再导入</source>
        <translation>the workbook is protected by a password; remove the password in Excel and import that</translation>
    </message>
    <message>
        <source>无法解压部件“%1”：%2</source>
        <translation>cannot uncompress part “%1”: %2</translation>
    </message>
    <message>
        <source>部件“%1”不是有效的 XML（第 %2 行：%3），文件已损坏</source>
        <translation>part “%1” is not valid XML (line %2: %3); the file is damaged</translation>
    </message>
    <message>
        <source>部件“%1”解压后超过 %2 MiB，拒绝读取</source>
        <translation>part “%1” is larger than %2 MiB uncompressed: refused</translation>
    </message>
    <message>
        <source>工作簿各部件解压后合计超过 %1 MiB（读到部件“%2”时），拒绝读取</source>
        <translation>the parts of the workbook are larger than %1 MiB uncompressed in all (at part “%2”): refused</translation>
    </message>
    <message>
        <source>部件“%1”含有文档类型声明（DTD），出于安全原因拒绝读取</source>
        <translation>part “%1” holds a document type declaration (DTD): refused for safety</translation>
    </message>
    <message>
        <source>解压部件“%1”失败：%2</source>
        <translation>uncompressing part “%1” failed: %2</translation>
    </message>
    <message>
        <source>部件“%1”在根元素之前有超过 %2 KiB 的内容，出于安全原因拒绝读取</source>
        <translation>part “%1” has more than %2 KiB before its root element: refused for safety</translation>
    </message>
    <message>
        <source>这是一个 zip 文件，但其中没有 Excel 工作簿（可能是 Word 文档或其他文件）</source>
        <translation>it is a zip file without an Excel workbook in it (perhaps a Word document or another file)</translation>
    </message>
    <message>
        <source>“%1”中找不到工作表“%2”的关系，文件已损坏</source>
        <translation>“%1” has no relationship for sheet “%2”; the file is damaged</translation>
    </message>
    <message>
        <source>工作表“%1”的位置“%2”不在包内，文件已损坏</source>
        <translation>the location “%2” of sheet “%1” is outside the package; the file is damaged</translation>
    </message>
    <message>
        <source>“%1”引用了不存在的共享字符串（编号 %2），文件已损坏</source>
        <translation>“%1” refers to a shared string that does not exist (number %2); the file is damaged</translation>
    </message>
    <message>
        <source>“%1”中有无法识别的数值“%2”，文件已损坏</source>
        <translation>“%1” has a value that cannot be read, “%2”; the file is damaged</translation>
    </message>
    <message>
        <source>“%1”中的%2超出工作表范围（最大 XFD%3），拒绝读取</source>
        <translation>the %2 in “%1” lies beyond the sheet (at most XFD%3): refused</translation>
    </message>
    <message>
        <source>声明尺寸“%1”</source>
        <translation>declared dimension “%1”</translation>
    </message>
    <message>
        <source>行号“%1”</source>
        <translation>row number “%1”</translation>
    </message>
    <message>
        <source>单元格引用“%1”</source>
        <translation>cell reference “%1”</translation>
    </message>
    <message>
        <source>第 %1 行的列</source>
        <translation>column of row %1</translation>
    </message>
    <message>
        <source>部件“%1”含有快速读取不处理的内容</source>
        <translation>part “%1” holds content the fast reader does not handle</translation>
    </message>
</context>
<context>
    <name>zip</name>
    <message>
        <source>压缩包中有多个名为“%1”的条目（名称相同或只差大小写），无法确定应读取哪一个，文件可能已损坏或被篡改</source>
        <translation>the package has several entries named “%1” (the same name, or differing in case only) and which to read is unclear; the file may be damaged or tampered with</translation>
    </message>
    <message>
        <source>不是 ZIP 压缩包，或压缩包的目录已丢失（文件可能被截断）</source>
        <translation>not a ZIP package, or its directory is lost (the file may be truncated)</translation>
    </message>
    <message>
        <source>ZIP 结构不一致，文件已损坏或被截断</source>
        <translation>inconsistent ZIP structure; the file is damaged or truncated</translation>
    </message>
    <message>
        <source>文件意外结束，可能被截断</source>
        <translation>unexpected end of file; it may be truncated</translation>
    </message>
    <message>
        <source>数据校验失败，文件已损坏</source>
        <translation>data checksum failed; the file is damaged</translation>
    </message>
    <message>
        <source>压缩数据已损坏</source>
        <translation>the compressed data is damaged</translation>
    </message>
    <message>
        <source>是分卷压缩包，不支持</source>
        <translation>a split archive, which is not supported</translation>
    </message>
    <message>
        <source>内容已加密，无法读取</source>
        <translation>the content is encrypted and cannot be read</translation>
    </message>
    <message>
        <source>使用了不支持的压缩方法</source>
        <translation>an unsupported compression method</translation>
    </message>
    <message>
        <source>无法打开文件</source>
        <translation>cannot open the file</translation>
    </message>
    <message>
        <source>读取文件失败</source>
        <translation>reading the file failed</translation>
    </message>
    <message>
        <source>无法在文件所在的文件夹中创建临时文件</source>
        <translation>cannot make a temporary file in the file&apos;s folder</translation>
    </message>
    <message>
        <source>写入失败（磁盘可能已满）</source>
        <translation>writing failed (the disk may be full)</translation>
    </message>
    <message>
        <source>无法用新内容替换原文件</source>
        <translation>cannot replace the file with the new content</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>not enough memory</translation>
    </message>
    <message>
        <source>文件以只读方式打开</source>
        <translation>the file was opened read-only</translation>
    </message>
    <message>
        <source>ZIP 处理出错</source>
        <translation>ZIP error</translation>
    </message>
    <message>
        <source>%1（libzip：%2）</source>
        <translation>%1 (libzip: %2)</translation>
    </message>
</context>
</TS>
