cob
Caligari V00.01ALH             
PolH V0.08 Id 1 Parent 0 Size 00000000
Name tri
center 0 0 0
x axis 1 0 0
y axis 0 1 0
z axis 0 0 1
Transform
1 0 0 0
0 1 0 0
0 0 1 0
0 0 0 1
World Vertices 3
0 0 0
1 0 0
0 1 0
Texture Vertices 3
0 0
1 0
0 1
Faces 1
Face verts 3 flags 0 mat 0
<0,0> <1,1> <2,2>
Mat1 V0.06 Id 2 Parent 1 Size 00000000
mat# 0
shader: phong facet: auto32
rgb 0.5,0.5,0.5
alpha 1 ka 0.1 ks 0.1 exp 0 ior 1
END V1.00 Id 0 Parent 0 Size        0
