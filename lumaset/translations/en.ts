<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Crop Image</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>图片转换工具</source>
        <translation>Picture Converter</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Open Capture Frame</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Close Capture Frame</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Choose a Picture</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>File saved</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>The picture has not been saved yet. Save it?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>There is no firmware package in the update folder, so the logo was not written. Put a package there and save again.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>Writing the firmware package failed. Check that the update folder is writable and the package is intact.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>The picture could not be converted; nothing was saved. Choose another picture.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>The newest firmware package has no boot logo entry, so the logo was not written. Use a package that carries a boot logo.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>Capturing needs a desktop with compositing, and none is running. The capture frame shows black, and Save converts the chosen picture instead of the frame&apos;s area.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Open a picture first (File → Open), then save.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>The picture %1 cannot be read. Choose a PNG, JPEG, GIF, BMP or XPM picture.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>The temporary working folder cannot be made in %1: %2. Pictures cannot be converted. Make sure the temporary folder can be written, then start the program again.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>The picture is too large: %1 x %2 pixels. At most %3 megapixels can be used; choose a smaller picture.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>%1 is not a regular file and cannot be opened as a picture. Choose a picture file.</translation>
    </message>
</context>
</TS>
