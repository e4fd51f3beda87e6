<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Recortar imagen</translation>
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
        <translation>Convertidor de imágenes</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Archivo</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Edición</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Abrir marco de captura</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Cerrar marco de captura</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Elegir una imagen</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Imágenes</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Aviso</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>Archivo guardado</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>La imagen aún no se ha guardado. ¿Desea guardarla?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Sí</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>No hay ningún paquete de firmware en la carpeta update; el logotipo no se ha escrito. Coloque un paquete allí y vuelva a guardar.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>No se pudo escribir el paquete de firmware. Compruebe que la carpeta update admite escritura y que el paquete está completo.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>No se pudo convertir la imagen; no se ha guardado nada. Elija otra imagen.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>El paquete de firmware más reciente no tiene una entrada de logotipo de arranque, por lo que el logotipo no se ha escrito. Use un paquete que contenga un logotipo de arranque.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>La captura necesita un escritorio con composición y no hay ninguno activo. El marco de captura se ve negro y Guardar convierte la imagen elegida en lugar del área del marco.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Abra primero una imagen (Archivo → Abrir) y después guarde.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>No se puede leer la imagen %1. Elija una imagen PNG, JPEG, GIF, BMP o XPM.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>No se puede crear la carpeta de trabajo temporal en %1: %2. Las imágenes no se pueden convertir. Compruebe que se puede escribir en la carpeta temporal y vuelva a iniciar el programa.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>La imagen es demasiado grande: %1 x %2 píxeles. Se admiten como máximo %3 megapíxeles; elija una imagen más pequeña.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>%1 no es un archivo normal y no se puede abrir como imagen. Elija un archivo de imagen.</translation>
    </message>
</context>
</TS>
