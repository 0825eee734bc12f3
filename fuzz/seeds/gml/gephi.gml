Creator "Gephi"
graph
[
  directed 1
  node
  [
    id Domingo
    label "Domingo"
    graphics
    [
      x -12.5
      y 40.0
      z 0.0
      w 10.0
      fill "#0000ff"
    ]
  ]
  node
  [
    id Carlos
    graphics [ x 7 y 8 ]
  ]
  edge
  [
    id 0
    source Domingo
    target Carlos
    value 1.0
  ]
]
